#pragma once

#include "swath/swath.h"

#include <cstddef>
#include <functional>

class QWidget;

namespace pellamar::ui {

// Work that reports its progress and returns false when told to stop.
using LongWork = std::function<bool(const swath::Progress& progress)>;

// Runs swath statistics over a line of `pans` pans. They grow with the square of the pans: up to
// a few thousand they take a few frames and run in place; beyond, on a worker thread while the
// window stays responsive, behind a window-modal progress dialog with a "Cancel" button. Returns
// false when the operator cancelled (whatever the work produced is then to be dropped). The work
// must not touch anything the window may change meanwhile: give it copies.
bool runSwathWork(QWidget* parent, std::size_t pans, const LongWork& work);

} // namespace pellamar::ui
