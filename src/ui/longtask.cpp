#include "ui/longtask.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace pellamar::ui {

namespace {
constexpr std::size_t kLongSwathPans = 2500;
}

bool runSwathWork(QWidget* parent, std::size_t pans, const LongWork& work)
{
    if (pans <= kLongSwathPans) {
        return work({});
    }
    std::atomic<bool> stop{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    bool finished = false;

    QProgressDialog dialog(QStringLiteral("Calculating the swath statistics..."),
                           QStringLiteral("Cancel"), 0, 0, parent);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, [&stop] { stop = true; });

    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        finished = work([&](int d, int t) {
            done = d;
            total = t;
            return !stop.load();
        });
    }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        // cancel() called directly does not signal; wasCanceled() tells either way.
        if (dialog.wasCanceled()) {
            stop = true;
        }
        if (!stop) {
            dialog.setMaximum(total);
            dialog.setValue(done);
        }
    });
    thread->start();
    dialog.show();
    tick.start();
    // Cancel only asks the work to stop; the loop ends when the thread has.
    loop.exec();
    thread->wait();
    // A cancel after the last tick still counts, though the work may have run to its end.
    return finished && !stop && !dialog.wasCanceled();
}

} // namespace pellamar::ui
