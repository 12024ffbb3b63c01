#include "device/CDirectPort.h"
#include "device/CPortDevice.h"
#include "device/CPpdevPort.h"

#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
namespace fs = std::filesystem;

// A stand-in for the kernel's parport directory.
class CParportDirectory
{
public:
    CParportDirectory() : m_root(m_folder.GetPath()) { fs::create_directories(m_root / "default"); }

    void AddPort(const std::string& strName, const char* pszBaseAddr)
    {
        fs::create_directories(m_root / strName / "devices");
        std::ofstream(m_root / strName / "base-addr") << pszBaseAddr;
    }
    void SetActive(const std::string& strName, const char* pszActive)
    {
        std::ofstream(m_root / strName / "devices" / "active") << pszActive;
    }
    const char* GetPath() const { return m_root.c_str(); }

private:
    CTempFolder m_folder;
    fs::path m_root;
};

TEST(CPpdevPortTest, FindsTheKernelDeviceByBaseAddress)
{
    CParportDirectory proc;
    proc.AddPort("parport0", "632\t1656\n");
    proc.AddPort("parport1", "888\t1912\n");
    proc.AddPort("parport12", "956\t-1\n");
    proc.AddPort("parportx", "888\n");
    EXPECT_EQ(CPpdevPort::FindDeviceNumber(0x378, proc.GetPath()), 1);
    EXPECT_EQ(CPpdevPort::FindDeviceNumber(0x278, proc.GetPath()), 0);
    EXPECT_EQ(CPpdevPort::FindDeviceNumber(0x3BC, proc.GetPath()), 12);
    EXPECT_EQ(CPpdevPort::FindDeviceNumber(0x2BC, proc.GetPath()), -1);
    EXPECT_EQ(CPpdevPort::FindDeviceNumber(0x378, "/nonexistent/parport"), -1);
}

// Claiming a port another program holds would wait until it lets go, so it is not tried.
TEST(CPpdevPortTest, TellsWhoHoldsAPort)
{
    CParportDirectory proc;
    proc.AddPort("parport0", "888\t1912\n");
    EXPECT_EQ(CPpdevPort::GetClaimant(0, proc.GetPath()), "");
    proc.SetActive("parport0", "none\n");
    EXPECT_EQ(CPpdevPort::GetClaimant(0, proc.GetPath()), "");
    proc.SetActive("parport0", "ppdev0\n");
    EXPECT_EQ(CPpdevPort::GetClaimant(0, proc.GetPath()), "ppdev0");
    EXPECT_EQ(CPpdevPort::GetClaimant(1, proc.GetPath()), "");
}

// Reading the detector of a real port: the line is either idle or sees infrared, and the
// other status lines do not leak into the answer.
template <typename TPort> void ExpectDetectorLine(TPort port)
{
    CPortDevice<TPort> device(std::move(port));
    device.SelectPort(1, false);
    const int nLine = device.ReadDetectorLine();
    EXPECT_TRUE(nLine == 0 || nLine == 0x10) << nLine;
}

TEST(CPpdevPortTest, ReadsTheDetectorThroughTheKernel)
{
    std::string strError;
    std::optional<CPpdevPort> port = CPpdevPort::Open(1, strError);
    if (!port)
        GTEST_SKIP() << "no usable parallel port device: " << strError;
    EXPECT_EQ(std::string(port->GetName()).rfind("ppdev /dev/parport", 0), 0u);
    ExpectDetectorLine(std::move(*port));
}

bool KernelListsParallelPort()
{
    std::ifstream ioports("/proc/ioports");
    const std::string strText{std::istreambuf_iterator<char>(ioports), {}};
    return strText.find("parport") != std::string::npos;
}

TEST(CDirectPortTest, ReadsTheDetectorWithPortInstructions)
{
    // Touch no I/O port unless the kernel says a parallel port is there.
    if (!KernelListsParallelPort())
        GTEST_SKIP() << "no parallel port in /proc/ioports";
    std::string strError;
    std::optional<CDirectPort> port = CDirectPort::Open(strError);
    if (!port)
        GTEST_SKIP() << strError;
    if (!port->Answers(GetPortRegisters(1).nData))
        GTEST_SKIP() << "no parallel port answers at 0x378";
    ExpectDetectorLine(std::move(*port));
}
} // namespace
