#include "support/CTempFolder.h"

#include <fstream>
#include <iterator>

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

std::string ReadFileBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& strPath, const std::string& strBytes)
{
    std::ofstream file(strPath, std::ios::binary);
    file.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
}
