#pragma once

#include "document/CRemote.h"

#include <QDialog>

#include <string>

class QComboBox;

// Lets the person pick the remote to delete from the sorted names, the first one chosen. Cancel
// is the default button: Enter deletes nothing. The refusals and the question come after OK.
class CDeleteRemoteDlg : public QDialog
{
    Q_OBJECT

public:
    CDeleteRemoteDlg(const CRemoteMap& remotes, QWidget* pParent = nullptr);

    // After OK: the chosen remote's name, exactly as the document holds it.
    const std::string& GetName() const { return m_strName; }

    void accept() override;

private:
    QComboBox* m_pNameList;
    std::string m_strName;
};
