#pragma once

#include "signal/SignalEncoder.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

// Asks for a code as a remote's maker would give it: a protocol, an address and a command (and
// Kaseikyo's maker code), in decimal or 0x hexadecimal, and makes the signal of it.
class CNewFromCodeDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CNewFromCodeDlg(QWidget* pParent = nullptr);

    // Starts from a code as a button's signal decodes; a signal no protocol reads is left out.
    void StartFrom(const SDecodedSignal& code);
    // Runs the dialog; true, with the code's signal, when the person gave a code that fits its
    // protocol and chose OK.
    bool AskSignal(SEncodedSignal& encoded);
    // The code of the signal AskSignal gave.
    const SDecodedSignal& GetCode() const { return m_code; }

    void accept() override;

private:
    QComboBox* m_pProtocol = nullptr;
    QLineEdit* m_pAddress = nullptr;
    QLineEdit* m_pCommand = nullptr;
    QLineEdit* m_pMaker = nullptr;
    QLabel* m_pProblem = nullptr;
    SEncodedSignal m_encoded;
    SDecodedSignal m_code;
};
