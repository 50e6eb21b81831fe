#pragma once
// TKRSelectFile: picks a file name in a property page: an edit with the file
// name and a browse button that opens a file dialog with Title and Filter.
// With Option set the file must exist (an open dialog); without it any name
// may be chosen (a save dialog). HideDetails takes the edited name.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

#include <QPointer>

#include <QLineEdit>

class KRCE_EXPORT TKRSelectFile : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ GetFileName WRITE SetFileName)

public:
    explicit TKRSelectFile(TKrComponent *owner);

    QString Filter;
    bool Option = true;
    QString Title;

    QString GetFileName() const { return m_fileName; }
    void SetFileName(const QString &name) { m_fileName = name; }

    void ShowDetails(QWidget *parent) override;
    void HideDetails() override;
    QLineEdit *Edit() const { return m_edit; }
    void Replace(TKrReplace &what) override;

protected:
    QWidget *CreateDetailsPage(QWidget *parent) override;

private:
    QString m_fileName;
    QPointer<QLineEdit> m_edit;
};
