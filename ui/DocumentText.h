#pragma once

#include <QString>

#include <string>

class QObject;
class QValidator;

// Document texts are 8-bit Windows-1252; the windows work in Unicode. These turn what the
// person types into document text.

// The text in the document's code page. Callers let the person type only what the code page
// holds (CreateDocumentTextValidator); anything else would become '?'.
std::string ToDocumentString(const QString& strText);

// Accepts only printable characters that the document's code page holds.
QValidator* CreateDocumentTextValidator(QObject* pParent);
