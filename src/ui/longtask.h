#pragma once

#include "swath/swath.h"

#include <QString>
#include <functional>

class QWidget;

namespace pellamar::ui {

// Swath statistics grow with the square of the number of pans: up to this many they take a few
// frames and run in place; beyond, they run on a worker thread behind a progress dialog.
constexpr int kLongSwathPans = 2500;

// Work that reports its progress and returns false when told to stop.
using LongWork = std::function<bool(const swath::Progress& progress)>;

// Runs the work; when `long` is set, on a worker thread while the window stays responsive, with
// a window-modal progress dialog showing `label` and a "Cancel" button. Returns false when the
// operator cancelled (whatever the work produced is then to be dropped). The work must not touch
// anything the window may change meanwhile: give it copies.
bool runLongWork(QWidget* parent, const QString& label, bool isLong, const LongWork& work);

} // namespace pellamar::ui
