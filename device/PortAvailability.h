#pragma once

#include "device/CPpdevPort.h"

#include <string>

// Whether the kernel offers one of the three standard parallel ports to this user, for the
// person choosing a port: the device that serves its address, or why there is none.
enum class EPortAvailability
{
    NoDriver,     // the kernel drives no parallel port at all (parport_pc not loaded)
    NoPort,       // no parallel port at this address
    NoDevice,     // the kernel drives the port, but it has no /dev/parportN (ppdev not loaded)
    NoPermission, // the device exists, but this user may not open it
    Available,
};

struct SPortAvailability
{
    EPortAvailability nState = EPortAvailability::NoDriver;
    std::string strDevice; // "/dev/parport0"; empty while no port is known at the address
    std::string strGroup;  // with NoPermission: the group that may open the device
};

// Where the kernel shows its ports and their devices; tests point these at folders of their own.
struct SPortFolders
{
    std::string strProc = CPpdevPort::kProcDirectory;
    std::string strDev = "/dev";
    // Whether this process may open a device for reading and writing.
    bool (*pMayOpen)(const std::string& strPath) = nullptr; // null: ask the kernel
};

// What serves port nPort (1..3) here, matched by base address as the parport backend matches it.
SPortAvailability ProbePort(int nPort, const SPortFolders& folders = {});

// The name of the group that owns a device file, or its number when the group has no name here;
// empty when the file is not there.
std::string GetOwningGroup(const std::string& strPath);
