#include "document/CQuorbexDoc.h"

bool CQuorbexDoc::OnOpenDocument(const std::string&)
{
    return false;
}

bool CQuorbexDoc::OnSaveDocument(const std::string&)
{
    return false;
}
