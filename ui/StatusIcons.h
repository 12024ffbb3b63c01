#pragma once

#include "engine/EventStatus.h"

#include <QIcon>

#include <array>

constexpr std::size_t kStatusCount = 6;

// The small pictures in front of the event rows, one per status in the order of EEventStatus
// (20 x 16 pixels each).
std::array<QIcon, kStatusCount> MakeStatusIcons();
