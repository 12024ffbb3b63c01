#pragma once

#include <string>
#include <vector>

enum class ECommand
{
    None, // the window program, opening the file when one is named
    Help,
    Version,
    List,
    Convert,
    Run,
    Send,
    Fire,
    Status,
    Listen,
    Export,
    Import,
    Learn,
    SelfTest,
};

// What the program was asked to do. The window program reads it too, for the file to open and
// the backends to use.
struct SCommandLine
{
    ECommand nCommand = ECommand::None;
    bool bJson = false;
    std::string strDevice;     // empty: the usual infrared unit
    std::string strClockStart; // empty: the usual clock
    std::string strFormat;     // --export and --import: pronto or lirc
    std::string strCarrier;    // --export and --import: hertz; empty for the usual carrier
    std::string strPresses;    // --learn: how many presses; empty for the usual count
    std::string strSource;     // --import: the input's remote to take; empty for its only
    std::string strStyle;      // --import: the remote's new pad style, "HIGHxWIDE"
    std::string strMqtt;       // --run and the windows: the broker's URL; empty for none
    std::string strMqttPasswordFile;
    std::string strMqttNode;        // empty: the host's name
    std::string strLate;            // --run and the windows: minutes an event may fire late
    std::string strHold;            // --send and --fire: milliseconds to hold the button down
    std::vector<std::string> files; // the operands: file names, remote and button names
};

// The most minutes late an occurrence may still fire.
constexpr int kMaxLateMinutes = 720;
// --late's minutes, 0 when not given; -1 when it is no count from 0 to kMaxLateMinutes.
int GetLateMinutes(const SCommandLine& commandLine);
