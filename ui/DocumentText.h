#pragma once

#include <QString>

#include <string>

class QObject;
class QValidator;

// Document texts are 8-bit Windows-1252; the windows work in Unicode. These turn what the
// person types into document text.

// The text in the document's code page. Callers first make sure that the code page holds it
// (FindUnstorableCharacter, CreateDocumentTextValidator); anything else would become '?'.
std::string ToDocumentString(const QString& strText);

// The first character of strText that a document cannot hold (one outside its code page, or a
// control character), or an empty string when it holds them all.
QString FindUnstorableCharacter(const QString& strText);

// Accepts only printable characters that the document's code page holds.
QValidator* CreateDocumentTextValidator(QObject* pParent);
