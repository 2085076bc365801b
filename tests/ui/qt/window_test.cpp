// The Qt window, in process on Qt's offscreen platform: geometry, kinds and texts of the widgets,
// the keyboard, moving by a label, label drawing, the message boxes, whole runs through clicks,
// the folder dialog, closing during a sync, names that are not UTF-8, and posted work.
#include "app/commands.h"
#include "app/main_window.h"
#include "app/window_front_end.h"
#include "controls/control_properties.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "sync/sync_job.h"
#include "tests/support/scratch.h"
#include "tests/support/tree.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/qt/qt_widgets.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace brenvale {
namespace {

using namespace main_window;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Answers each modal dialog of type D that opens while it lives, from inside the dialog's own loop.
template <class D> class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<void(D&)> answer) : answer_(std::move(answer)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = dynamic_cast<D*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible() && dialog != last_.data()) {
                last_ = dialog;
                ++answered_;
                answer_(*dialog);
            }
        });
        poll_.start(10);
    }
    int Answered() const { return answered_; }

  private:
    std::function<void(D&)> answer_;
    QTimer poll_;
    QPointer<D> last_; // null once that dialog is gone: the next may be made at the same address
    int answered_ = 0;
};

std::atomic<int> g_moves{0};
void CountMove() { ++g_moves; }

std::atomic<bool> g_hold{false};
bool Hold(platform::FileOperation, const std::string&, void*) {
    for (int i = 0; i < 10000 && g_hold; ++i)
        std::this_thread::sleep_for(milliseconds(1));
    return false;
}

// Rows of a widget's picture that hold text (dark pixels), as [first, last] bands.
std::vector<std::pair<int, int>> TextBands(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < image.height(); ++y) {
        bool dark = false;
        for (int x = 0; x < image.width() && !dark; ++x)
            dark = qGray(image.pixel(x, y)) < 110;
        if (!dark)
            continue;
        if (!bands.empty() && bands.back().second == y - 1)
            bands.back().second = y;
        else
            bands.emplace_back(y, y);
    }
    return bands;
}

class QtWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        SetRunDirectoryForTesting(scratch.path());
        testing_support::BuildTree(remote, {{"a", "a"}, {"sub/b", "bb"}, {"数据/乗", "ccc"}});
        toolkit = CreateWindowToolkit();
        LoadWindow(MainWindowDefinition(WindowHandlers()), *toolkit);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "BrenvaleMainWindow" && widget->isVisible())
                main = widget;
        ASSERT_NE(main, nullptr);
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    }
    void TearDown() override {
        EXPECT_TRUE(WaitForSyncWorkers(seconds(60)));
        platform::SetFileOperationHook(nullptr, nullptr);
        qt::SetWindowMoveObserverForTesting(nullptr);
        toolkit.reset();
        SetRunDirectoryForTesting("");
    }

    // dynamic_cast: the program's own widgets have no meta-object of their own for qobject_cast.
    template <class W = QWidget> W* Item(std::uint32_t control) {
        return dynamic_cast<W*>(main->findChild<QWidget*>(QString::number(control)));
    }
    std::string TextOf(std::uint32_t control) {
        if (auto* label = Item<qt::LabelWidget>(control))
            return label->DisplayText().toStdString();
        if (auto* button = Item<QPushButton>(control))
            return button->text().toStdString();
        return Item<QLineEdit>(control)->text().toStdString();
    }
    void Type(std::uint32_t box, const std::string& text) {
        Item<QLineEdit>(box)->setText(QString::fromStdString(text));
    }
    void Click(std::uint32_t button) { QTest::mouseClick(Item(button), Qt::LeftButton); }
    // As a user's click arrives: through the window, where a modal dialog blocks it.
    void ClickThroughTheWindowSystem(std::uint32_t control) {
        QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {}, Item(control)->geometry().center());
    }
    bool WaitFor(const std::function<bool()>& done, milliseconds limit = milliseconds(30000)) {
        return QTest::qWaitFor(done, static_cast<int>(limit.count()));
    }
    std::uint32_t Focused() {
        const QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName().toUInt() : 0;
    }

    testing_support::ScratchDir scratch;
    const std::string remote = scratch / "remote";
    const std::string local = scratch / "local";
    std::unique_ptr<Toolkit> toolkit;
    QWidget* main = nullptr;
};

TEST_F(QtWindowTest, FrameControlsAndTextsAreAsDefined) {
    const WindowDefinition definition = MainWindowDefinition({});
    EXPECT_EQ(main->windowTitle(), "Brenvale");
    EXPECT_EQ(main->size(), QSize(definition.client_width, definition.client_height));
    EXPECT_EQ(main->minimumSize(), main->maximumSize()) << "not resizable";
    const Qt::WindowFlags flags = main->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ((flags & Qt::WindowType_Mask), Qt::Window) << "a normal window, not a tool window";
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(main->frameGeometry().topLeft(),
              QPoint(screen.x() + (screen.width() - 405) / 2, screen.y() + (screen.height() - 275) / 2));
    EXPECT_TRUE(main->windowIcon().availableSizes().contains(QSize(24, 24)));
    EXPECT_EQ(main->palette().color(QPalette::Window), main->palette().color(QPalette::Button));
    EXPECT_EQ(QApplication::focusWidget(), main) << "no control has the focus at first";

    for (const ControlDefinition& control : definition.controls) {
        QWidget* widget = Item(control.number);
        if (control.kind == ControlKind::kTimer) {
            EXPECT_EQ(widget, nullptr) << "the timer is no widget";
            continue;
        }
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_EQ(widget->geometry(), QRect(control.left, control.top, control.width, control.height))
            << control.name;
        EXPECT_TRUE(widget->isVisible() && widget->isEnabled()) << control.name;
        EXPECT_EQ(widget->font(), QApplication::font()) << control.name;
        const std::string initial = control.initial_text ? control.initial_text : "";
        switch (control.kind) {
        case ControlKind::kLabel:
            EXPECT_EQ(TextOf(control.number), initial) << control.name;
            EXPECT_EQ(static_cast<qt::LabelWidget*>(widget)->WordWrap(),
                      control.number == kStatusLabel || control.number == kFileNameLabel)
                << control.name;
            EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << control.name;
            break;
        case ControlKind::kEditBox: {
            auto* edit = static_cast<QLineEdit*>(widget);
            EXPECT_TRUE(edit->text().isEmpty() && edit->hasFrame() && !edit->isReadOnly()) << control.name;
            EXPECT_EQ(edit->echoMode(), QLineEdit::Normal) << control.name;
            EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white)) << control.name;
            break;
        }
        case ControlKind::kButton: {
            auto* button = static_cast<QPushButton*>(widget);
            EXPECT_EQ(TextOf(control.number), initial) << control.name;
            EXPECT_FALSE(button->isDefault() || button->autoDefault())
                << control.name << " is no default button";
            break;
        }
        case ControlKind::kProgressBar: {
            auto* bar = static_cast<QProgressBar*>(widget);
            EXPECT_EQ(bar->orientation(), Qt::Horizontal) << control.name;
            EXPECT_EQ(bar->minimum(), 0) << control.name;
            EXPECT_EQ(bar->maximum(), 100) << control.name;
            EXPECT_EQ(bar->value(), 0) << control.name;
            EXPECT_FALSE(bar->isTextVisible()) << control.name;
            EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << control.name;
            break;
        }
        case ControlKind::kTimer:
            break;
        }
    }
    EXPECT_EQ(GetControlInteger(MainWindowControl(kFileBar), kBarMaximum), 100);
}

TEST_F(QtWindowTest, TabGoesRoundEscAndEnterDoNothing) {
    QTest::keyClick(main, Qt::Key_Tab);
    EXPECT_EQ(Focused(), kStartButton) << "the first Tab goes to 按钮1";
    const std::uint32_t cycle[] = {kRemoteBox,   kLocalBox,    kBrowseRemote,
                                   kBrowseLocal, kStartButton, kRemoteBox};
    for (std::uint32_t expected : cycle) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(Focused(), expected);
    }
    Item(kStartButton)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), kBrowseLocal) << "Shift+Tab from 按钮1";
    Item(kBrowseRemote)->hide();
    Item(kLocalBox)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), kBrowseLocal) << "a hidden control is skipped";
    Item(kBrowseRemote)->show();

    ModalAnswerer<QMessageBox> boxes([](QMessageBox& box) { box.accept(); });
    for (std::uint32_t control : {kRemoteBox, kStartButton, kBrowseLocal}) {
        Item(control)->setFocus();
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(Item(control), key);
    }
    QTest::keyClick(main, Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(boxes.Answered(), 0) << "Enter pressed no button";
    EXPECT_EQ(TextOf(kStartButton), "开始对比");
    QTest::keyClick(Item(kStartButton), Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return boxes.Answered() == 1; }, milliseconds(5000)))
        << "Space on 按钮1 presses it (and the empty path is refused)";
}

TEST_F(QtWindowTest, PressingTheBackgroundALabelOrABarMovesTheWindowButNotAnEditBox) {
    g_moves = 0;
    qt::SetWindowMoveObserverForTesting(CountMove);
    QTest::mousePress(main, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(main, Qt::LeftButton, {}, QPoint(5, 5));
    for (std::uint32_t control : {kStatusLabel, kOverallBar, kRemoteBox}) {
        QTest::mousePress(Item(control), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(Item(control), Qt::LeftButton, {}, QPoint(5, 5));
    }
    QTest::mousePress(Item(kStatusLabel), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(g_moves.load(), 3);
    EXPECT_EQ(Focused(), kRemoteBox) << "the edit box took the press itself";
}

TEST_F(QtWindowTest, OnlyTheWrappingLabelsBreakLongTexts) {
    const std::string words = "这是 一段 很长 的 状态 文字 它 比 标签 宽 得 多 所以 要 换行 显示 才 能 看 全";
    for (std::uint32_t label : {kStatusLabel, kCountLabel})
        SetControlProperty(MainWindowControl(label), kLabelCaption, words);
    const auto wrapped = TextBands(Item(kStatusLabel));
    ASSERT_EQ(wrapped.size(), 2u) << "two lines in 标签7";
    EXPECT_LE(wrapped.front().first, 4) << "the first line at the top";
    const auto single = TextBands(Item(kCountLabel));
    ASSERT_EQ(single.size(), 1u) << "one line in 标签5, cut off";
    const int middle = (single.front().first + single.front().second) / 2;
    EXPECT_NEAR(middle, Item(kCountLabel)->height() / 2, 3) << "centred vertically";
    SetControlProperty(MainWindowControl(kStatusLabel), kLabelCaption, "");
    EXPECT_TRUE(TextBands(Item(kStatusLabel)).empty());
}

TEST_F(QtWindowTest, AnEmptyBarRangeShowsAnEmptyBarNotABusyOne) {
    SetControlProperty(MainWindowControl(kOverallBar), kBarMaximum, 0);
    auto* bar = Item<QProgressBar>(kOverallBar);
    EXPECT_LT(bar->minimum(), bar->maximum()) << "Qt animates a bar whose range is empty";
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(GetControlInteger(MainWindowControl(kOverallBar), kBarMaximum), 0);
}

TEST_F(QtWindowTest, EmptyAndOverlappingPathsShowTheirMessages) {
    struct Case {
        std::string remote, local, message;
    } const cases[] = {
        {"", "", "远程目录不能为空！"},
        {remote, "", "本地目录不能为空！"},
        {remote, remote + "/sub", OverlapText()},
    };
    for (const Case& c : cases) {
        Type(kRemoteBox, c.remote);
        Type(kLocalBox, c.local);
        QString text, title;
        bool stop_icon = false, one_ok_button = false, application_modal = false;
        ModalAnswerer<QMessageBox> answerer([&](QMessageBox& box) {
            text = box.text();
            title = box.windowTitle();
            stop_icon = box.icon() == QMessageBox::Critical;
            one_ok_button = box.buttons().size() == 1 && box.standardButtons() == QMessageBox::Ok;
            application_modal = box.windowModality() == Qt::ApplicationModal;
            box.button(QMessageBox::Ok)->click();
        });
        Click(kStartButton);
        EXPECT_EQ(answerer.Answered(), 1);
        EXPECT_EQ(text.toStdString(), c.message);
        EXPECT_EQ(title.toStdString(), "信息：");
        EXPECT_TRUE(stop_icon && one_ok_button && application_modal);
        EXPECT_EQ(TextOf(kStartButton), "开始对比");
    }
}

TEST_F(QtWindowTest, ARunThroughClicksEndsIdleAndStartsAgain) {
    Type(kRemoteBox, remote);
    Type(kLocalBox, local);
    Click(kStartButton);
    EXPECT_EQ(TextOf(kStartButton), "停止对比");
    ASSERT_TRUE(WaitFor([&] { return TextOf(kStatusLabel) == CompletionText(); }));
    const auto ended = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return TextOf(kStartButton) == "开始对比"; }, milliseconds(3000)));
    EXPECT_LT(std::chrono::steady_clock::now() - ended, milliseconds(2000)) << "idle within about a second";
    EXPECT_EQ(Item<QProgressBar>(kOverallBar)->value(), 0);
    EXPECT_EQ(Item<QProgressBar>(kFileBar)->value(), 0);
    EXPECT_EQ(TextOf(kCountLabel), "100%");
    EXPECT_EQ(TextOf(kFilePercentLabel), "100%");
    EXPECT_EQ(TextOf(kFileNameLabel), "");
    EXPECT_EQ(testing_support::TakeSnapshot(local), testing_support::TakeSnapshot(remote));

    // Start again and stop at once: the caption comes back at once, the run still ends.
    Click(kStartButton);
    EXPECT_NE(TextOf(kStatusLabel), CompletionText()) << "the old end text was cleared";
    Click(kStartButton);
    EXPECT_EQ(TextOf(kStartButton), "开始对比");
    EXPECT_TRUE(WaitFor([&] { return IsEndText(TextOf(kStatusLabel)); }));
}

TEST_F(QtWindowTest, ClosingDuringASyncClosesAtOnceAndEndsTheLoop) {
    g_hold = true;
    platform::SetFileOperationHook(Hold, nullptr);
    Type(kRemoteBox, remote);
    Type(kLocalBox, local);
    Click(kStartButton);
    QTimer::singleShot(100, main, [this] { main->close(); });
    const auto before = std::chrono::steady_clock::now();
    toolkit->RunMessageLoop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, seconds(5)) << "the loop ends with the window";
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(TextOf(kStartButton), "停止对比") << "no question, the window just closed";
    AbandonSyncJobs();
    g_hold = false;
    EXPECT_TRUE(WaitForSyncWorkers(seconds(30)));
    toolkit->RunMessageLoop(); // the window is gone: returns at once
}

TEST_F(QtWindowTest, TheFolderDialogFillsTheBoxAndTheSettings) {
    int presses_meanwhile = 0;
    struct PressCounter : QObject {
        int* presses;
        explicit PressCounter(int* p) : presses(p) {}
        bool eventFilter(QObject*, QEvent* event) override {
            *presses += event->type() == QEvent::MouseButtonPress;
            return false;
        }
    } counter(&presses_meanwhile);
    Item(kLocalBox)->installEventFilter(&counter);

    QString title;
    bool folders_only = false, modal_over_the_window = false;
    ModalAnswerer<QFileDialog> answerer([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        folders_only =
            dialog.fileMode() == QFileDialog::Directory && dialog.testOption(QFileDialog::ShowDirsOnly);
        modal_over_the_window = dialog.isModal() && dialog.parentWidget() == main;
        ClickThroughTheWindowSystem(kLocalBox); // the window does not react meanwhile
        if (answerer.Answered() == 1) {
            dialog.setDirectory(QString::fromStdString(remote + "/"));
            static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, through the public base
        } else {
            dialog.reject();
        }
    });
    Click(kBrowseRemote);
    ASSERT_EQ(answerer.Answered(), 1);
    EXPECT_EQ(title.toStdString(), "请选择远程目录");
    EXPECT_TRUE(folders_only && modal_over_the_window);
    EXPECT_EQ(presses_meanwhile, 0);
    EXPECT_EQ(TextOf(kRemoteBox), remote) << "no trailing /";
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), remote);

    Click(kBrowseRemote);
    ASSERT_EQ(answerer.Answered(), 2);
    EXPECT_EQ(TextOf(kRemoteBox), "") << "cancel empties the box";
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), remote) << "and stores nothing";
    EXPECT_EQ(presses_meanwhile, 0);
    ClickThroughTheWindowSystem(kLocalBox);
    EXPECT_EQ(presses_meanwhile, 1) << "afterwards the window takes input again";
    Item(kLocalBox)->removeEventFilter(&counter);
}

TEST_F(QtWindowTest, NamesThatAreNotUtf8ShowReplacementsAndReachTheEngineUnchanged) {
    const std::string odd_remote = scratch / "remote\xff\xfe";
    testing_support::BuildTree(odd_remote, {{"f\xe9.txt", "latin-1 name"}, {"d\xc3/x", "x"}});
    SetControlProperty(MainWindowControl(kRemoteBox), kEditContent, odd_remote);
    EXPECT_TRUE(Item<QLineEdit>(kRemoteBox)->text().contains(QChar(0xFFFD)));
    EXPECT_EQ(GetControlText(MainWindowControl(kRemoteBox), kEditContent), odd_remote)
        << "the bytes come back";
    SetControlProperty(MainWindowControl(kFileNameLabel), kLabelCaption, "f\xe9.txt");
    EXPECT_EQ(Item<qt::LabelWidget>(kFileNameLabel)->DisplayText(), QString::fromUtf8("f\uFFFD.txt"));

    Type(kLocalBox, local);
    Click(kStartButton);
    ASSERT_TRUE(
        WaitFor([&] { return IsEndText(GetControlText(MainWindowControl(kStatusLabel), kLabelCaption)); }));
    EXPECT_EQ(GetControlText(MainWindowControl(kStatusLabel), kLabelCaption), CompletionText());
    EXPECT_EQ(testing_support::TakeSnapshot(local), testing_support::TakeSnapshot(odd_remote));

    Item<QLineEdit>(kRemoteBox)->end(false);
    QTest::keyClicks(Item(kRemoteBox), "x");
    EXPECT_EQ(GetControlText(MainWindowControl(kRemoteBox), kEditContent),
              Item<QLineEdit>(kRemoteBox)->text().toStdString())
        << "once the user edits the box it gives what it shows";
}

TEST_F(QtWindowTest, PostedWorkRunsOnTheUiThreadInOrderAndDelayedWorkNotBeforeItsTime) {
    std::vector<int> order;
    bool all_on_ui_thread = true;
    std::chrono::steady_clock::time_point delayed_ran{};
    const auto posted_at = std::chrono::steady_clock::now();
    std::thread poster([&] {
        toolkit->PostDelayed([&] { delayed_ran = std::chrono::steady_clock::now(); }, milliseconds(60));
        for (int i = 0; i < 2000; ++i)
            toolkit->Post([&, i] {
                all_on_ui_thread = all_on_ui_thread && toolkit->IsUiThread();
                order.push_back(i);
            });
    });
    poster.join();
    ASSERT_TRUE(WaitFor(
        [&] { return order.size() == 2000 && delayed_ran != std::chrono::steady_clock::time_point{}; },
        milliseconds(10000)));
    EXPECT_TRUE(all_on_ui_thread);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_GE(delayed_ran - posted_at, milliseconds(60));
}

TEST(QtFolderPathTest, TheDialogsChoiceBecomesAPathWithoutTrailingSlashButForTheRoot) {
    testing_support::ScratchDir scratch;
    const std::string folder = scratch / "数据", odd = scratch / "d\xff";
    testing_support::MakeDirectories(folder + "/sub");
    testing_support::MakeDirectories(odd);
    const std::pair<QString, std::string> cases[] = {
        {"/", "/"},
        {QString::fromStdString(folder + "/"), folder},
        {QString::fromStdString(folder), folder},
        {QString::fromStdString(folder + "//sub/"), folder + "/sub"},
        {QString::fromStdString(scratch / "missing"), ""},
        {"", ""},
        {"relative/dir", ""},
        {QFile::decodeName(QByteArray::fromStdString(odd)), ""}, // shown as d\uFFFD: not that folder
    };
    for (const auto& [chosen, path] : cases)
        EXPECT_EQ(qt::FolderPathFromDialog(chosen), path) << chosen.toStdString();
}

} // namespace
} // namespace brenvale

// Qt needs its application object before any widget; the tests run on the offscreen platform
// unless another is asked for.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
