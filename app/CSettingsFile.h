#pragma once

#include <QSettings>
#include <QVariantList>

class CSettings;

// The file the settings are kept in (~/.config/Dorn/Quorbit.conf), readable by the person
// alone: it names their documents and their broker. It is written whenever a value changed,
// not only at Exit, so that a program ended by a logout or a kill keeps what was set.
class CSettingsFile
{
public:
    // The store every part of the program reads and writes the settings through.
    static QSettings Open();

    // Tightens the file to 0600 (making it so when it is new) and reads it.
    void Read(CSettings& settings);
    // Writes the settings when they differ from what was last read or written here. False,
    // with the reason on stderr, when the file could not be written.
    bool Write(const CSettings& settings);

private:
    QVariantList m_stored;
};
