#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace pellamar::ui {

// Asks where to save; the name gets the suffix of the filter chosen ("PNG image (*.png)" gives
// ".png") when typed without one. Empty when the operator cancels.
QString askSaveFile(QWidget* parent, const QString& title, const QStringList& filters,
                    const QString& proposed = {});

} // namespace pellamar::ui
