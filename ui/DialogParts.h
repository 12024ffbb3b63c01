#pragma once

class QDialog;
class QDialogButtonBox;
class QLabel;
class QString;
class QWidget;

// Parts the configuration dialogs build alike.

// A label that wraps its text, named for the tests and the pictures.
QLabel* MakeWrappedLabel(const QString& strText, const char* pszName);
// OK (the default, named "ok") and Cancel ("cancel"), accepting and rejecting dialog.
QDialogButtonBox* MakeOkCancelButtons(QDialog& dialog);
// A field's label, its mnemonic taking the person to pBuddy.
QLabel* MakeBuddyLabel(const QString& strText, QWidget* pBuddy);
// Shows strText in label and lets its window grow to hold it, rather than squeezing the rest.
void ShowGrown(QLabel& label, const QString& strText);
// Where a dialog says why it stays open after OK ("refusal"): hidden until then, wrapping, so
// that a long reason makes the dialog taller rather than squeezing its fields.
QLabel* MakeRefusalLabel();
// How wide a window must be for its whole title: the title in the bar's bold font, beside the
// window manager's icon and three buttons.
int GetWholeTitleWidth(const QWidget& window);
// Makes the dialog that wide.
void KeepTitleWhole(QDialog& dialog);
// Widens the dialog by up to nWidth pixels, as far as its screen has room.
void GrowWider(QDialog& dialog, int nWidth);
// Keeps a finished dialog on its screen: when what it holds is taller or wider than the room
// there, it scrolls, with pButtons (part of the dialog's layout) staying in sight under it.
void FitOnScreen(QDialog& dialog, QWidget* pButtons);
