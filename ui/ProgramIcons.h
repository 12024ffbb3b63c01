#pragma once

#include "engine/EventStatus.h"

#include <QIcon>
#include <QStringList>

#include <array>

constexpr std::size_t kStatusCount = 6;

// The small pictures in front of the event rows, one per status in the order of EEventStatus
// (20 x 16 pixels each).
std::array<QIcon, kStatusCount> MakeStatusIcons();

// The program's icon in the sizes a window manager asks for.
QIcon MakeProgramIcon();

// An icon of PNG pictures, read as nothing but PNG: reading a PNG is built into Qt, where an
// image whose format Qt is left to find, or an SVG, loads every image plugin and the SVG
// libraries (some milliseconds of every start).
QIcon ReadPngIcon(const QStringList& paths);
