// The real window, on the offscreen platform, with a mebibyte of text in its edit line:
//   WindowSession/SHAPE  pastes a 1 MiB text of that shape, types and deletes at both ends,
//                        undoes and redoes, then presses the draw buttons ten times in a row;
//                        its peak resident set must stay under 256 MB. One shape per process:
//                          window_bench --benchmark_filter='^WindowSession/left_chain$'
//   KeyPress/WHERE       one key press (a letter, then Backspace) at the start, the middle or
//                        the end of a 1 MiB line, handled and painted; within 100 ms.
//   KeyPress/qlineedit_reference  the same in the toolkit's QLineEdit, for comparison only.
//   LongSession          a long time open: every shape pasted and drawn in all three sizes;
//                        the peak resident set must stay under 256 MB all the same.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <limits>
#include <string>
#include <utility>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "bench/peak_memory.h"
#include "expr/m_tree.h"
#include "tests/expression_shapes.h"

namespace {

using rivo::app::Tfrm_gorsek;
using rivo::testing::TextShape;

constexpr double kMebibyte = 1024.0 * 1024.0;

// Closes every error box the draws queue, as the user's OK would, and keeps its text.
class ErrorBoxCloser {
  public:
    ErrorBoxCloser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                last_ = box->text();
                box->done(0);
            }
        });
        timer_.start(5);
    }
    const QString& Last() const { return last_; }

  private:
    QTimer timer_;
    QString last_;
};

// The text as the user brings it: through the clipboard, over the whole old text.
void Paste(QWidget* edit, const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
}

void Type(QWidget* edit, Qt::Key key, int times, Qt::KeyboardModifiers modifiers = {}) {
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(edit, key, modifiers);
        edit->repaint();
    }
}

void BM_WindowSession(benchmark::State& state, TextShape shape) {
    // Room for the characters typed at each end, so the draws see an accepted length.
    const std::string text = rivo::testing::ShapedText(shape, rivo::expr::kMaxExpressionBytes - 16);
    QString outcome;
    for (auto _ : state) {
        ErrorBoxCloser closer;
        Tfrm_gorsek window;
        window.show();
        QApplication::processEvents();
        QWidget* edit = window.eIN;
        Paste(edit, text);
        Type(edit, Qt::Key_End, 1);
        Type(edit, Qt::Key_X, 10);
        Type(edit, Qt::Key_Backspace, 5);
        Type(edit, Qt::Key_Home, 1);
        Type(edit, Qt::Key_Y, 5);
        Type(edit, Qt::Key_Z, 3, Qt::ControlModifier);
        Type(edit, Qt::Key_Z, 1, Qt::ControlModifier | Qt::ShiftModifier);
        QPushButton* const buttons[] = {window.Button1, window.Button2, window.Button3};
        for (int draw = 0; draw < 10; ++draw) {
            buttons[draw % 3]->click();
            QApplication::processEvents();
        }
        outcome = closer.Last().isEmpty() ? QStringLiteral("drawn") : closer.Last();
    }
    state.SetLabel(outcome.left(40).toStdString());
    state.counters["peak_rss_MiB"] =
        static_cast<double>(rivo::bench::PeakResidentBytes()) / kMebibyte;
}

// A long time open: every shape in turn, each drawn in all three sizes.
void BM_LongSession(benchmark::State& state) {
    for (auto _ : state) {
        ErrorBoxCloser closer;
        Tfrm_gorsek window;
        window.show();
        QApplication::processEvents();
        for (const TextShape shape : rivo::testing::kRoadShapes) {
            Paste(window.eIN, rivo::testing::ShapedText(shape, rivo::expr::kMaxExpressionBytes));
            for (QPushButton* button : {window.Button1, window.Button2, window.Button3}) {
                button->click();
                QApplication::processEvents();
            }
        }
    }
    state.counters["peak_rss_MiB"] =
        static_cast<double>(rivo::bench::PeakResidentBytes()) / kMebibyte;
}

// One key per iteration, alternately a letter and Backspace, so the line keeps its length.
void PressKeys(benchmark::State& state, QWidget* edit) {
    bool letter = true;
    for (auto _ : state) {
        QTest::keyClick(edit, letter ? Qt::Key_A : Qt::Key_Backspace);
        edit->repaint();
        letter = !letter;
    }
}

enum class Where { kStart, kMiddle, kEnd };

void BM_KeyPress(benchmark::State& state, Where where) {
    const std::string text =
        rivo::testing::ShapedText(TextShape::kLeftChain, rivo::expr::kMaxExpressionBytes);
    Tfrm_gorsek window;
    window.show();
    QApplication::processEvents();
    Paste(window.eIN, text);
    const int length = static_cast<int>(text.size());
    window.eIN->setCursorPosition(where == Where::kStart    ? 0
                                  : where == Where::kMiddle ? length / 2
                                                            : length);
    PressKeys(state, window.eIN);
}

void BM_KeyPressInQLineEdit(benchmark::State& state) {
    const std::string text =
        rivo::testing::ShapedText(TextShape::kLeftChain, rivo::expr::kMaxExpressionBytes);
    QLineEdit edit;
    edit.setMaxLength(std::numeric_limits<int>::max());
    edit.setGeometry(8, 8, 225, 21);
    edit.show();
    QApplication::processEvents();
    Paste(&edit, text);
    edit.setCursorPosition(static_cast<int>(text.size()) / 2);
    PressKeys(state, &edit);
}

// The names are built from tables, so the benchmarks register themselves before main.
[[maybe_unused]] const bool kRegistered = [] {
    for (const TextShape shape : rivo::testing::kRoadShapes) {
        const std::string name = "WindowSession/" + std::string(rivo::testing::ShapeName(shape));
        benchmark::RegisterBenchmark(name.c_str(), BM_WindowSession, shape)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    const std::pair<const char*, Where> places[] = {
        {"start", Where::kStart}, {"middle", Where::kMiddle}, {"end", Where::kEnd}};
    for (const auto& [name, where] : places) {
        benchmark::RegisterBenchmark((std::string("KeyPress/") + name).c_str(), BM_KeyPress, where)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("LongSession", BM_LongSession)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("KeyPress/qlineedit_reference", BM_KeyPressInQLineEdit)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace

// The window needs an application object before any benchmark runs.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
