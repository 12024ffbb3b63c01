#pragma once

class QDialog;
class QDialogButtonBox;
class QLabel;
class QString;

// Parts the configuration dialogs build alike.

// A label that wraps its text, named for the tests and the pictures.
QLabel* MakeWrappedLabel(const QString& strText, const char* pszName);
// OK (the default, named "ok") and Cancel ("cancel"), accepting and rejecting dialog.
QDialogButtonBox* MakeOkCancelButtons(QDialog& dialog);
