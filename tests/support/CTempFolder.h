#pragma once

#include <filesystem>
#include <string>

// A fresh folder of its own under the system's temporary folder, removed with everything in
// it. Tests run in parallel, so no two of them may share a fixed name.
class CTempFolder
{
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string File(const std::string& strName) const { return (m_path / strName).string(); }
    const std::filesystem::path& GetPath() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::string& strPath);
void WriteFileBytes(const std::string& strPath, const std::string& strBytes);
