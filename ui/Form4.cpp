// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Form4.h"

#include "ui/Centring.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace corvane {

Form4::Form4(QWidget* parent) : QDialog(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Customized, so that the window manager is told of exactly these buttons: no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    // A fixed size, so that no window manager offers to maximise it.
    setFixedSize(TwipsRect(0, 0, 4920, 3810).size());
    // The classic active window border colour: the button face.
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button).darker(110));
    setPalette(background);
    setAutoFillBackground(true);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setGeometry(TwipsRect(1800, 3360, 1335, 375));
    auto* name = new QLabel(this);
    name->setObjectName(QStringLiteral("Label1"));
    name->setGeometry(TwipsRect(480, 360, 4215, 495));
    name->setAlignment(Qt::AlignCenter);
    QFont large = name->font();
    large.setPointSizeF(13.5);
    name->setFont(large);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(TwipsRect(360, 1080, 2295, 1455));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QPixmap(QStringLiteral(":/about.gif")));
    picture->setAccessibleName(QStringLiteral("Corvane picture"));
    auto* version = new QLabel(QStringLiteral("v. " CORVANE_VERSION), this);
    version->setObjectName(QStringLiteral("Label2"));
    version->setGeometry(TwipsRect(3000, 1080, 855, 255));

    // Close holds the focus so that Enter closes the window.
    close->setAutoDefault(true);
    close->setDefault(true);
    close->setFocus();
    connect(close, &QPushButton::clicked, this, &Form4::Command1_Click);
    // Escape rejects a dialog, which only hides it: this one closes, as its button does.
    connect(this, &QDialog::rejected, this, &Form4::Command1_Click);
    Form_Load();
}

void Form4::Form_Load() {
    CentreOnScreen(this);
    findChild<QLabel*>(QStringLiteral("Label1"))->setText(QStringLiteral("Corvane"));
}

void Form4::Command1_Click() {
    close();
}

} // namespace corvane
