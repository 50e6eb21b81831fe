#include "KRSelectFile.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TKRSelectFile::TKRSelectFile(TKrComponent *owner) : TKrChild(owner) {}

QWidget *TKRSelectFile::CreateDetailsPage(QWidget *parent)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(new QLabel(Title.isEmpty() ? QStringLiteral("File") : Title, page));
    auto *row = new QHBoxLayout;
    m_edit = new QLineEdit(m_fileName, page);
    auto *browse = new QPushButton(QStringLiteral("..."), page);
    browse->setFixedWidth(28);
    row->addWidget(m_edit, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    layout->addStretch(1);
    QObject::connect(browse, &QPushButton::clicked, page, [this, page]() {
        const QString name = Option ? QFileDialog::getOpenFileName(page, Title, m_edit->text(), Filter)
                                    : QFileDialog::getSaveFileName(page, Title, m_edit->text(), Filter);
        if (!name.isEmpty())
            m_edit->setText(name);
    });
    return page;
}

void TKRSelectFile::ShowDetails(QWidget *parent)
{
    TKrChild::ShowDetails(parent);
    if (m_edit)
        m_edit->setText(m_fileName);
}

void TKRSelectFile::HideDetails()
{
    if (m_edit)
        m_fileName = m_edit->text();
    m_edit = nullptr;
    TKrChild::HideDetails();
}

void TKRSelectFile::Replace(TKrReplace &what)
{
    what.Apply(m_fileName);
}
