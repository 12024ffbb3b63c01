#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What a program run as a child process left behind.
struct SProcessResult
{
    int nExitStatus = -1; // -1 when it did not exit normally
    std::string strOut;
    std::string strErr;
};

SProcessResult RunProgram(const std::string& strProgram, const std::vector<std::string>& arguments);

// The quorbit program built beside the tests.
inline SProcessResult RunQuorbit(const std::vector<std::string>& arguments)
{
    return RunProgram(QUORBIT_BINARY, arguments);
}

// A fresh folder under the system's temporary folder, removed with everything in it.
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
