#include "device/CDirectPort.h"
#include "device/CPortDevice.h"
#include "device/CPpdevPort.h"
#include "device/PortAvailability.h"

#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <grp.h>
#include <unistd.h>

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

struct SAvailabilityCase
{
    const char* pszName;
    bool bDriver;        // the kernel's parport folder exists
    const char* pszBase; // base address of its one port, parport3
    bool bDeviceFile;    // /dev/parport3 exists
    bool bMayOpen;
    EPortAvailability nState;
};

class PortAvailabilityTest : public ::testing::TestWithParam<SAvailabilityCase>
{
};

// The port dialog tells the person which device serves LPT1 here, or why none does; the
// device is the one whose base address matches, whatever its number.
TEST_P(PortAvailabilityTest, NamesTheDeviceOrWhyThereIsNone)
{
    const SAvailabilityCase& test = GetParam();
    CTempFolder folder;
    const fs::path proc = folder.GetPath() / "parport";
    const fs::path dev = folder.GetPath() / "dev";
    fs::create_directories(dev);
    if (test.bDriver)
    {
        fs::create_directories(proc / "parport3");
        std::ofstream(proc / "parport3" / "base-addr") << test.pszBase;
    }
    if (test.bDeviceFile)
        std::ofstream(dev / "parport3") << "";
    SPortFolders folders{proc.string(), dev.string()};
    folders.pMayOpen = test.bMayOpen ? +[](const std::string&) { return true; }
                                     : +[](const std::string&) { return false; };

    const SPortAvailability availability = ProbePort(1, folders);

    EXPECT_EQ(availability.nState, test.nState);
    const bool bKnown =
        test.nState != EPortAvailability::NoDriver && test.nState != EPortAvailability::NoPort;
    EXPECT_EQ(availability.strDevice, bKnown ? (dev / "parport3").string() : "");
    const group* pGroup = getgrgid(getegid());
    const std::string strGroup = pGroup ? pGroup->gr_name : std::to_string(getegid());
    EXPECT_EQ(availability.strGroup,
              test.nState == EPortAvailability::NoPermission ? strGroup : "");
}

INSTANTIATE_TEST_SUITE_P(
    CPpdevPort, PortAvailabilityTest,
    ::testing::Values(
        SAvailabilityCase{"NoDriver", false, "", false, true, EPortAvailability::NoDriver},
        SAvailabilityCase{"OtherAddress", true, "632\t-1\n", true, true, EPortAvailability::NoPort},
        SAvailabilityCase{"NoDeviceFile", true, "888\t-1\n", false, true,
                          EPortAvailability::NoDevice},
        SAvailabilityCase{"NotPermitted", true, "888\t-1\n", true, false,
                          EPortAvailability::NoPermission},
        SAvailabilityCase{"Available", true, "888\t-1\n", true, true,
                          EPortAvailability::Available}),
    [](const ::testing::TestParamInfo<SAvailabilityCase>& info) { return info.param.pszName; });

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
