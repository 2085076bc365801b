// The Qt toolkit: the main window drawn with Qt 6 Widgets.
//
// Contract (see controls/toolkit.h): made and used on the UI thread, the thread that made the
// QApplication; Post and PostDelayed are the only calls from other threads, and they only queue
// work under a mutex and post one event to a receiver that lives as long as the toolkit. Labels
// and bars are the small widgets of qt_widgets.h, edit boxes QLineEdit, buttons QPushButton,
// timers QTimer. Texts arrive as UTF-8 bytes that may be invalid (file names): they are shown with
// replacement characters, and an edit box gives back the very bytes it was given until the user
// changes it. All state lives in the toolkit object.
#include "ui/qt/qt_toolkit.h"

#include "app/window_front_end.h"
#include "controls/toolkit_support.h"
#include "platform/platform.h"
#include "ui/qt/qt_widgets.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

namespace brenvale {
namespace qt {

QString DisplayText(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FolderPathFromDialog(const QString& chosen) {
    if (chosen.isEmpty() || !QDir::isAbsolutePath(chosen))
        return {};
    std::string path = QFile::encodeName(QDir::cleanPath(chosen)).toStdString();
    // Qt shows a name that is not valid UTF-8 with replacement characters and cannot give its bytes
    // back: such a choice names no folder, and is treated as no choice rather than as another path.
    if (!platform::IsListableDirectory(path))
        return {};
    return path;
}

namespace {

const QEvent::Type kRunPostedWork = static_cast<QEvent::Type>(QEvent::User + 1);

// Receives the one event type that tells the UI thread to run posted work.
class PostedWorkReceiver final : public QObject {
  public:
    explicit PostedWorkReceiver(std::function<void()> run) : run_(std::move(run)) {}
    bool event(QEvent* event) override {
        if (event->type() != kRunPostedWork)
            return QObject::event(event);
        run_();
        return true;
    }

  private:
    std::function<void()> run_;
};

struct Control {
    const ControlDefinition* definition = nullptr;
    QWidget* widget = nullptr; // owned by the main widget; null for a timer
    std::unique_ptr<QTimer> timer;
    std::string bytes; // an edit box: the bytes last set, given back while it shows `shown`
    QString shown;
};

class QtToolkit final : public Toolkit {
  public:
    QtToolkit() : ui_thread_(std::this_thread::get_id()) {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "brenvale";
            static char* argv[] = {name, nullptr};
            owned_application_ = std::make_unique<QApplication>(argc, argv);
        }
        QApplication::setQuitOnLastWindowClosed(false); // the toolkit ends its own loop
        receiver_ = std::make_unique<PostedWorkReceiver>([this] { RunPostedWork(); });
        posted_ = std::make_unique<PostedWorkQueue>(
            [this] { QCoreApplication::postEvent(receiver_.get(), new QEvent(kRunPostedWork)); });
        delayed_timer_ = std::make_unique<QTimer>();
        delayed_timer_->setSingleShot(true);
        QObject::connect(delayed_timer_.get(), &QTimer::timeout, [this] { RunPostedWork(); });
    }

    ~QtToolkit() override {
        DestroyWindow(); // closes the posted-work queue: nothing reaches the receiver from here on
        controls_.clear();
        main_.reset();
        receiver_.reset();
        delayed_timer_.reset();
        owned_application_.reset(); // last: every Qt object above goes before it
    }

    bool IsUiThread() const override { return std::this_thread::get_id() == ui_thread_; }

    void Post(std::function<void()> work) override { posted_->Post(std::move(work)); }

    void PostDelayed(std::function<void()> work, std::chrono::milliseconds delay) override {
        posted_->PostDelayed(std::move(work), delay);
    }

    void BuildWindow(const WindowDefinition& definition, EventSink& events) override {
        definition_ = &definition;
        events_ = &events;
        auto main = std::make_unique<qt::MainWidget>(qt::MainWidget::Callbacks{
            [this] { DestroyWindow(); }, [this](bool forward) { StepFocus(forward); }});
        main->setObjectName(QStringLiteral("BrenvaleMainWindow"));
        main->setWindowTitle(QString::fromUtf8(definition.title));
        // A fixed frame: title bar, window menu, minimize and close buttons, no maximize.
        main->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                             Qt::WindowCloseButtonHint);
        main->setFixedSize(definition.client_width, definition.client_height);
        QPalette palette = main->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Button));
        main->setPalette(palette);
        main->setAutoFillBackground(true);
        main->setWindowIcon(QIcon(QStringLiteral(":/brenvale/brenvale.ico")));
        // Centred as the Win32 window is: by its outer size on the primary screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            main->move(area.x() + (area.width() - definition.outer_width) / 2,
                       area.y() + (area.height() - definition.outer_height) / 2);
        }
        main_ = std::move(main);
        posted_->Open();
        for (const ControlDefinition& control : definition.controls)
            CreateControl(control);
    }

    void ShowBuiltWindow() override {
        main_->setFocus(); // as in the Win32 window, no control has the focus until Tab or a click
        main_->show();
    }

    void RunMessageLoop() override {
        if (window_gone_)
            return;
        QEventLoop loop;
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }

    void QuitMessageLoop() override { DestroyWindow(); }

    void SetText(std::uint32_t number, const std::string& text) override {
        Control& control = controls_.at(number);
        const QString shown = qt::DisplayText(text);
        switch (control.definition->kind) {
        case ControlKind::kLabel:
            static_cast<qt::LabelWidget*>(control.widget)->SetDisplayText(shown);
            break;
        case ControlKind::kEditBox: {
            auto* edit = static_cast<QLineEdit*>(control.widget);
            edit->setText(shown);
            edit->setCursorPosition(0); // as a Win32 edit box after WM_SETTEXT
            control.shown = edit->text();
            // A text longer than the box holds is cut: the box then gives what it holds.
            control.bytes = control.shown == shown ? text : control.shown.toUtf8().toStdString();
            break;
        }
        case ControlKind::kButton:
            static_cast<QPushButton*>(control.widget)->setText(shown);
            break;
        case ControlKind::kProgressBar:
        case ControlKind::kTimer:
            break;
        }
    }

    std::string ReadEditText(std::uint32_t number) override {
        const Control& control = controls_.at(number);
        const QString now = static_cast<QLineEdit*>(control.widget)->text();
        if (now == control.shown)
            return control.bytes;
        return now.toUtf8().toStdString();
    }

    void SetBarRange(std::uint32_t number, int low, int high) override {
        static_cast<qt::BarWidget*>(controls_.at(number).widget)->SetBarRange(low, high);
    }

    void SetBarPosition(std::uint32_t number, int shown) override {
        static_cast<qt::BarWidget*>(controls_.at(number).widget)->SetBarPosition(shown);
    }

    void StartTimer(std::uint32_t number, std::uint32_t period_ms) override {
        controls_.at(number).timer->start(static_cast<int>(period_ms));
    }

    void StopTimer(std::uint32_t number) override { controls_.at(number).timer->stop(); }

    void ShowMessage(const std::string& text, const std::string& title) override {
        QMessageBox box(QMessageBox::Critical, qt::DisplayText(title), qt::DisplayText(text),
                        QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }

    std::string BrowseForFolder(const std::string& prompt) override {
        QFileDialog dialog(main_.get(), qt::DisplayText(prompt));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QStringList chosen = dialog.selectedFiles();
        return chosen.isEmpty() ? std::string() : qt::FolderPathFromDialog(chosen.front());
    }

    void ReportFatalError(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        if (IsUiThread())
            QMessageBox::critical(nullptr, QStringLiteral("Brenvale"), qt::DisplayText(text));
    }

  private:
    void RunPostedWork() {
        if (const auto next = posted_->RunDue())
            delayed_timer_->start(static_cast<int>(next->count()));
    }

    void DestroyWindow() {
        if (window_gone_ || !main_)
            return;
        window_gone_ = true;
        posted_->Close();
        delayed_timer_->stop();
        for (auto& [number, control] : controls_)
            if (control.timer)
                control.timer->stop();
        main_->hide();
        if (events_)
            events_->WindowDestroyed();
        if (loop_)
            loop_->quit();
    }

    void CreateControl(const ControlDefinition& definition) {
        Control& control = controls_[definition.number];
        control.definition = &definition;
        const std::uint32_t number = definition.number;
        switch (definition.kind) {
        case ControlKind::kTimer:
            control.timer = std::make_unique<QTimer>();
            QObject::connect(control.timer.get(), &QTimer::timeout,
                             [this, number] { events_->Dispatch(number, EventKind::kTick); });
            return;
        case ControlKind::kLabel: {
            control.widget = new qt::LabelWidget(main_.get(), definition.word_wrap);
            break;
        }
        case ControlKind::kEditBox: {
            auto* edit = new QLineEdit(main_.get());
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, Qt::white);
            palette.setColor(QPalette::Text, Qt::black);
            edit->setPalette(palette);
            control.widget = edit;
            break;
        }
        case ControlKind::kButton: {
            auto* button = new QPushButton(main_.get());
            button->setAutoDefault(false); // Enter presses no button
            button->setDefault(false);
            QObject::connect(button, &QPushButton::clicked,
                             [this, number] { events_->Dispatch(number, EventKind::kClicked); });
            control.widget = button;
            break;
        }
        case ControlKind::kProgressBar:
            control.widget = new qt::BarWidget(main_.get());
            break;
        }
        control.widget->setObjectName(QString::number(number));
        control.widget->setGeometry(definition.left, definition.top, definition.width, definition.height);
        numbers_[control.widget] = number;
        SetText(number, definition.initial_text ? definition.initial_text : "");
    }

    // Tab and Shift+Tab go round the definition's Tab order, skipping what is hidden or disabled.
    void StepFocus(bool forward) {
        const auto focused = numbers_.find(QApplication::focusWidget());
        const std::uint32_t next =
            NextInTabCycle(definition_->tab_order, focused == numbers_.end() ? 0 : focused->second, forward,
                           [this](std::uint32_t number) {
                               const QWidget* widget = controls_.at(number).widget;
                               return widget && widget->isVisible() && widget->isEnabled();
                           });
        if (next != 0)
            controls_.at(next).widget->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }

    std::unique_ptr<QApplication> owned_application_;
    const std::thread::id ui_thread_;
    const WindowDefinition* definition_ = nullptr;
    EventSink* events_ = nullptr;
    std::unique_ptr<qt::MainWidget> main_;
    std::map<std::uint32_t, Control> controls_;
    std::map<const QWidget*, std::uint32_t> numbers_;
    QEventLoop* loop_ = nullptr;
    bool window_gone_ = false;

    std::unique_ptr<PostedWorkReceiver> receiver_;
    std::unique_ptr<PostedWorkQueue> posted_; // wakes the UI thread through receiver_
    std::unique_ptr<QTimer> delayed_timer_;   // runs delayed work when it is due
};

// Qt would end the process with an abort when it finds no display; say why in one line instead.
bool HasDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace
} // namespace qt

std::unique_ptr<Toolkit> CreateWindowToolkit() {
    if (!qt::HasDisplay()) {
        std::fputs("brenvale: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
                   "brenvale-sync REMOTE LOCAL does the same from a terminal\n",
                   stderr);
        std::exit(255);
    }
    return std::make_unique<qt::QtToolkit>();
}

} // namespace brenvale
