#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <vector>

namespace pellamar::ui {

// The swath width options under the COV graph: one radio option per width index, all painted by
// one widget. A line of thousands of pans has thousands of widths; a widget per option made the
// analysis take seconds to appear. Options that would overlap become one strip, on which a click
// takes the nearest width and the chosen one is marked and labelled.
class WidthOptions : public QWidget {
    Q_OBJECT
public:
    explicit WidthOptions(QWidget* parent);

    // Options 1..count, none selected; 0 removes them all.
    void setCount(int count);
    int count() const { return count_; }
    // Where the options sit in the parent: option i is centred on centres[i − 1], its top at top.
    void place(const std::vector<int>& centres, int top);
    int selected() const { return selected_; }
    // Selects an option as the operator's click does, telling whoever listens.
    void click(int index);
    // The centre of option i in this widget, for whoever needs to point at it.
    QPoint centre(int index) const;
    // Whether the options are drawn as one strip.
    bool isStrip() const { return strip_; }
    // How the chosen width is named beside it on the strip and to screen readers.
    void setLabeller(std::function<QString(int)> labeller) { labeller_ = std::move(labeller); }

    static constexpr int kSize = 16;
    // Widths a Page Up or Page Down moves by, as a slider's page.
    static constexpr int kPageStep = 10;

signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int optionAt(int x) const;
    QPixmap indicator(bool checked, bool focused) const;
    void paintStrip(QPainter& painter);
    QString label(int index) const;

    int count_ = 0;
    int selected_ = 0;
    std::vector<int> centres_;
    bool strip_ = false;
    std::function<QString(int)> labeller_;
    // The indicator drawn once per state by the style, then stamped per option.
    QPixmap plain_;
};

} // namespace pellamar::ui
