#include "support/CTempFolder.h"

#include <stdexcept>
#include <stdlib.h>

CTempFolder::CTempFolder()
{
    std::string strTemplate = (std::filesystem::temp_directory_path() / "quorbit-XXXXXX").string();
    if (!mkdtemp(strTemplate.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = strTemplate;
}

CTempFolder::~CTempFolder()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}
