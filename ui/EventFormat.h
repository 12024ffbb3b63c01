#pragma once

#include <QString>

#include <string>

class CRemote;
class CRemoteButton;
class CTime;

// The date of a time value in the person's locale, long form ("Monday, June 1, 1998").
QString FormatLongDate(const CTime& time);
// Hour, minute and second of a time value in the locale's own time format, without a zone.
QString FormatTimeOfDay(const CTime& time);

// A document text (8-bit, Windows-1252) for the windows.
QString ToDisplayString(const std::string& strDocText);

// "TV: Power on": the remote's name and the button's display text, as the person knows them.
QString FormatButtonName(const CRemote& remote, const CRemoteButton& button);
