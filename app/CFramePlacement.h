#pragma once

class CSettings;
class QMainWindow;

// The main window's place between runs: its bars, its geometry as Qt saves it, and its show state
// and normal rectangle under the keys every version of the program reads, so that a settings file
// written before the saved geometry existed still places the window.
class CFramePlacement
{
public:
    static void Store(const QMainWindow& frame, CSettings& settings);

    // Places the window as it was left, pulled back onto the screen, and shows it in the state
    // it was left in.
    static void Restore(QMainWindow& frame, const CSettings& settings);
};
