// The few widgets of the Qt window that Qt does not have as they are: the top-level window (fixed,
// moved by its background, with the Tab cycle of the definition), self-drawn labels, and progress
// bars that move the window when pressed.
#pragma once

#include <QProgressBar>
#include <QString>
#include <QWidget>

#include <functional>

namespace brenvale::qt {

// Starts moving the window that holds `pressed`, as if its title bar had been pressed.
void StartWindowMove(QWidget* pressed);

// Test seam: called on every StartWindowMove (the offscreen platform cannot move windows).
void SetWindowMoveObserverForTesting(void (*observer)());

class MainWidget final : public QWidget {
  public:
    struct Callbacks {
        std::function<void()> closed;               // the user or the program closed the window
        std::function<void(bool forward)> tab_step; // Tab (forward) or Shift+Tab
    };
    explicit MainWidget(Callbacks callbacks);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    Callbacks callbacks_;
};

// A label paints itself: the button-face colour, then its text in black, left-aligned, on one line
// centred vertically, or word-wrapped from the top; cut off at its edges.
class LabelWidget final : public QWidget {
  public:
    LabelWidget(QWidget* parent, bool word_wrap);
    void SetDisplayText(const QString& text);
    const QString& DisplayText() const { return text_; }
    bool WordWrap() const { return word_wrap_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QString text_;
    bool word_wrap_;
};

// A horizontal bar without text. An empty range (low == high) shows an empty bar: Qt would show a
// busy animation instead.
class BarWidget final : public QProgressBar {
  public:
    explicit BarWidget(QWidget* parent);
    void SetBarRange(int low, int high);
    void SetBarPosition(int shown);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace brenvale::qt
