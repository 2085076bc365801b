// The Qt window's own widgets (see qt_widgets.h).
#include "ui/qt/qt_widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <atomic>

namespace brenvale::qt {
namespace {

std::atomic<void (*)()> g_move_observer{nullptr};

} // namespace

void StartWindowMove(QWidget* pressed) {
    if (auto observer = g_move_observer.load())
        observer();
    if (QWindow* handle = pressed->window()->windowHandle())
        handle->startSystemMove();
}

void SetWindowMoveObserverForTesting(void (*observer)()) { g_move_observer = observer; }

MainWidget::MainWidget(Callbacks callbacks) : callbacks_(std::move(callbacks)) {}

void MainWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    callbacks_.closed();
}

void MainWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        StartWindowMove(this);
}

void MainWidget::keyPressEvent(QKeyEvent* event) {
    // Esc closes nothing and Enter presses no button.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool MainWidget::focusNextPrevChild(bool next) {
    callbacks_.tab_step(next);
    return true;
}

LabelWidget::LabelWidget(QWidget* parent, bool word_wrap) : QWidget(parent), word_wrap_(word_wrap) {
    setAttribute(Qt::WA_OpaquePaintEvent); // paints every pixel itself
    setFocusPolicy(Qt::NoFocus);
}

void LabelWidget::SetDisplayText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    update();
}

void LabelWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    if (text_.isEmpty())
        return;
    painter.setClipRect(rect());
    painter.setPen(Qt::black);
    const int alignment = word_wrap_ ? Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap
                                     : Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(rect(), alignment, text_);
}

void LabelWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        StartWindowMove(this);
}

BarWidget::BarWidget(QWidget* parent) : QProgressBar(parent) {
    setOrientation(Qt::Horizontal);
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
    SetBarRange(0, 100);
    SetBarPosition(0);
}

void BarWidget::SetBarRange(int low, int high) { setRange(low, high > low ? high : low + 1); }

void BarWidget::SetBarPosition(int shown) { setValue(shown); }

void BarWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        StartWindowMove(this);
}

} // namespace brenvale::qt
