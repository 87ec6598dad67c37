// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgressWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& title)
    : QDialog(parent), m_count(new QLabel(this)), m_name(new QLabel(this)),
      m_bar(new QProgressBar(this)) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setObjectName(u"Progress"_qs);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProgressWindow::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_name);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void ProgressWindow::showProgress(qsizetype done, qsizetype total, const QString& name) {
    m_count->setText(QStringLiteral("%1 of %2").arg(done).arg(total));
    m_name->setText(m_name->fontMetrics().elidedText(name, Qt::ElideMiddle, m_name->width()));
    m_bar->setRange(0, int(total));
    m_bar->setValue(int(done));
}

void ProgressWindow::reject() {
    Q_EMIT cancelled();
}

} // namespace corvane
