#pragma once

#include "document/CRemote.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the name and layout style of a new remote. OK is offered only for a name that is
// not empty, not already a remote's (names are exact: "TV" and "tv" are two remotes) and made
// of characters a document can hold; a line under the field says what is wrong.
class CAddRemoteDlg : public QDialog
{
    Q_OBJECT

public:
    CAddRemoteDlg(const CRemoteMap& remotes, QWidget* pParent = nullptr);

    // After OK: the name in the document's code page, and the style 0-7.
    const std::string& GetName() const { return m_strName; }
    int GetStyle() const { return m_nStyle; }

    void accept() override;

private:
    void OnNameChanged(const QString& strText);
    QString GetNameProblem(const QString& strText) const;

    QLineEdit* m_pNameEdit;
    QPushButton* m_pOkButton;
    std::string m_strName;
    int m_nStyle = 0;
    const CRemoteMap& m_remotes;
    QComboBox* m_pStyleList;
    QLabel* m_pNameProblem;
};
