// The window half of the benchmark: the real MainWindow, built in this process, and its two
// buttons timed from click to final state, beside the fastest ways this program knows to put the
// same texts into the same edit boxes. A second mode starts executables and times them from
// process start to a visible window.
//
//   window_bench.exe boxes [--bytes printable|any] [--literal-budget SECONDS]
//                          [--expensive SECONDS] SIZE...
//   window_bench.exe startup RUNS NAME EXE CLASS [NAME EXE CLASS]...
//
// Output: one figure a line, for bench/run.sh to read:
//   fig KEY SECONDS RUNS MEDIAN  best and median wall-clock time of RUNS runs
//   check KEY ok|FAILED ...  a final state verified after a timed run
//   info KEY VALUE           anything else worth printing
// Nothing here fails on a time: the figures are printed and the reader judges them.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "events.h"
#include "ids.h"
#include "main_window.h"
#include "text_box.h"
#include "text_to_hex.h"
#include "window_helpers.h"

namespace vornelle {
namespace {

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

using testing::PumpMessages;
using testing::ReadA;

void Empty(HWND box) {
  SetWindowTextA(box, "");
  PumpMessages();
}

DWORD SelectionEnd(HWND box, DWORD* start) {
  DWORD s = 0, e = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  *start = s;
  return e;
}

std::string Listing(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string listing;
  listing.reserve(3 * text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    listing += kDigits[byte >> 4];
    listing += kDigits[byte & 0x0F];
    listing += ' ';
  }
  return listing;
}

// A fixed-seed text of `size` bytes: printable ASCII (0x20 to 0x7E) or any byte but zero.
std::string RandomText(std::size_t size, bool any_byte) {
  std::mt19937 random(static_cast<unsigned>(size) * 2654435761u + 7);
  std::uniform_int_distribution<int> pick(any_byte ? 1 : 0x20, any_byte ? 255 : 0x7E);
  std::string text(size, ' ');
  for (char& c : text) c = static_cast<char>(pick(random));
  return text;
}

// Best time of a method over its runs; one run only once a run has taken `expensive` seconds.
struct Figure {
  double best = std::numeric_limits<double>::infinity();
  int runs = 0;
  std::vector<double> all;
  void Add(double seconds) {
    best = std::min(best, seconds);
    ++runs;
    all.push_back(seconds);
  }
  // Eleven runs of a method under 50 ms, five under 0.2 s, three of a longer one, one of one
  // over `expensive`: the shorter the run, the more a slow spell of the machine weighs on it.
  bool WantsMore(double expensive) const {
    if (runs == 0) return true;
    if (best > expensive) return false;
    return runs < (best < 0.05 ? 11 : best < 0.2 ? 5 : 3);
  }
};

void PrintFigure(const std::string& key, const Figure& figure) {
  std::vector<double> sorted = figure.all;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t m = sorted.size();
  const double median = m == 0  ? 0
                        : m % 2 ? sorted[m / 2]
                                : (sorted[m / 2 - 1] + sorted[m / 2]) / 2;
  std::printf("fig %s %.6f %d %.6f\n", key.c_str(), figure.best, figure.runs, median);
  if (std::getenv("WINDOW_BENCH_ALL") != nullptr) {
    std::printf("runs %s", key.c_str());
    for (const double t : figure.all) std::printf(" %.2f", t * 1000);
    std::printf("\n");
  }
  std::fflush(stdout);
}

void PrintCheck(const std::string& key, const std::string& failure) {
  std::printf("check %s %s\n", key.c_str(), failure.empty() ? "ok" : ("FAILED " + failure).c_str());
  std::fflush(stdout);
}

// "" when the box holds exactly `expected`, with the caret after it when `caret_at_end`.
std::string VerifyBox(HWND box, const std::string& expected, bool caret_at_end) {
  const std::string actual = ReadA(box);
  if (actual != expected) {
    return "content differs: " + std::to_string(actual.size()) + " bytes, " +
           std::to_string(expected.size()) + " expected";
  }
  if (caret_at_end) {
    DWORD start = 0;
    const DWORD end = SelectionEnd(box, &start);
    if (start != expected.size() || end != expected.size()) {
      return "selection " + std::to_string(start) + ".." + std::to_string(end) + ", not at " +
             std::to_string(expected.size());
    }
  }
  return "";
}

// The edit box handled to the letter: every append reads the whole box, puts the caret at its
// end, scrolls it into view and replaces the empty selection with the group.
class LiteralEditBox final : public TextBox {
 public:
  explicit LiteralEditBox(HWND edit) noexcept : edit_(edit) {}

  AnsiText ReadBoxText() override { return AnsiText::FromBytes(ReadA(edit_)); }
  void ReplaceBoxText(const AnsiText& text) override { SetWindowTextA(edit_, text.Data()); }
  void AppendBoxText(const AnsiText& text) override {
    const std::string whole = ReadA(edit_);
    const auto length = static_cast<WPARAM>(whole.size());
    SendMessageA(edit_, EM_SETSEL, length, static_cast<LPARAM>(length));
    SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
    SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.Data()));
  }

 private:
  HWND edit_;
};

struct BoxOptions {
  bool any_byte = false;
  double literal_budget = 60.0;  // seconds a literal run may be expected to take
  double expensive = 10.0;       // a method slower than this is run once
  std::vector<std::size_t> sizes;
};

class BoxBench {
 public:
  explicit BoxBench(const BoxOptions& options) : options_(options) {}

  int Run() {
    // The program's own start-up steps, timed once, as vornelle.exe takes them.
    const double start = Now();
    HoldEvents();
    if (!window_.Build(GetModuleHandleW(nullptr))) {
      std::fprintf(stderr, "window_bench: the window could not be built\n");
      return 1;
    }
    const double built = Now();
    ReleaseEvents();
    RaiseEvent(window_, kMainWindowId, Event::kCreated);
    const double created = Now();
    window_.Show();
    const double shown = Now();
    PumpMessages();
    const double pumped = Now();
    Figure build, create, show, pump;
    build.Add(built - start);
    create.Add(created - built);
    show.Add(shown - created);
    pump.Add(pumped - shown);
    PrintFigure("part.build", build);
    PrintFigure("part.created", create);
    PrintFigure("part.show", show);
    PrintFigure("part.firstpump", pump);
    box1_ = window_.Control(kEditBox1Id);
    box2_ = window_.Control(kEditBox2Id);
    box3_ = window_.Control(kEditBox3Id);
    button1_ = window_.Control(kButton1Id);
    button2_ = window_.Control(kButton2Id);
    std::printf("info acp %u\n", GetACP());
    std::printf("info bytes %s\n", options_.any_byte ? "any-non-zero" : "printable");

    MeasureClickOverhead();
    for (const std::size_t size : options_.sizes) MeasureSize(size);
    for (const std::size_t size : options_.sizes) MeasureLiteral(size);
    return 0;
  }

 private:
  static constexpr std::size_t kChunks[] = {1024, 2048, 3072, 4096, 8192, 16384};

  // A click of either button with empty boxes: the cost of the click itself.
  void MeasureClickOverhead() {
    Empty(box1_);
    Figure t2h, h2t;
    for (int run = 0; run < 11; ++run) {
      Empty(box2_);
      double start = Now();
      SendMessageW(button1_, BM_CLICK, 0, 0);
      t2h.Add(Now() - start);
      PumpMessages();
      Empty(box3_);
      start = Now();
      SendMessageW(button2_, BM_CLICK, 0, 0);
      h2t.Add(Now() - start);
      PumpMessages();
    }
    PrintFigure("click.t2h.empty", t2h);
    PrintFigure("click.h2t.empty", h2t);
  }

  void MeasureSize(std::size_t size) {
    const std::string n = std::to_string(size);
    SetWindowTextA(box1_, RandomText(size, options_.any_byte).c_str());
    PumpMessages();
    // What TextToHex reads back from 编辑框1, and its listing.
    const std::string source = ReadA(box1_);
    std::printf("info source.%s %zu\n", n.c_str(), source.size());
    const std::string listing = Listing(source);
    std::string writable = listing;  // the floor ends its pieces in place, no copy

    Figure ours, set;
    std::vector<Figure> appends(std::size(kChunks));
    std::vector<Figure> append_calls(std::size(kChunks)), scroll_calls(std::size(kChunks));
    std::string ours_failure, set_failure;
    std::vector<std::string> append_failures(std::size(kChunks));
    // Rounds interleave the methods, so that a slow spell of the machine falls on all of them.
    for (int round = 0; round < 11; ++round) {
      if (ours.WantsMore(options_.expensive)) {
        Empty(box2_);
        const double start = Now();
        SendMessageW(button1_, BM_CLICK, 0, 0);
        ours.Add(Now() - start);
        if (ours_failure.empty()) ours_failure = VerifyBox(box2_, listing, true);
        PumpMessages();
      }
      if (set.WantsMore(options_.expensive)) {
        Empty(box2_);
        const double start = Now();
        SetWindowTextA(box2_, listing.c_str());
        set.Add(Now() - start);
        if (set_failure.empty()) set_failure = VerifyBox(box2_, listing, false);
        PumpMessages();
      }
      for (std::size_t c = 0; c < std::size(kChunks); ++c) {
        if (!appends[c].WantsMore(options_.expensive)) continue;
        Empty(box2_);
        const double start = Now();
        for (std::size_t at = 0; at < writable.size(); at += kChunks[c]) {
          const std::size_t stop = std::min(writable.size(), at + kChunks[c]);
          const char kept = writable[stop];  // the final zero at the very end
          writable[stop] = '\0';
          SendMessageA(box2_, EM_SETSEL, INT_MAX, INT_MAX);
          SendMessageA(box2_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(writable.data() + at));
          writable[stop] = kept;
        }
        const double middle = Now();
        SendMessageA(box2_, EM_SCROLLCARET, 0, 0);
        const double stop = Now();
        appends[c].Add(stop - start);
        append_calls[c].Add(middle - start);
        scroll_calls[c].Add(stop - middle);
        if (append_failures[c].empty()) append_failures[c] = VerifyBox(box2_, listing, true);
        PumpMessages();
      }
    }
    PrintFigure("t2h.ours." + n, ours);
    PrintCheck("t2h.ours." + n, ours_failure);
    PrintFigure("floor.set." + n, set);
    PrintCheck("floor.set." + n, set_failure);
    for (std::size_t c = 0; c < std::size(kChunks); ++c) {
      const std::string key = "floor.append" + std::to_string(kChunks[c] / 1024) + "k." + n;
      PrintFigure(key, appends[c]);
      PrintFigure(key + ".replace", append_calls[c]);
      PrintFigure(key + ".scroll", scroll_calls[c]);
      PrintCheck(key, append_failures[c]);
    }

    MeasureParts(n, source, listing);
    MeasureHexToText(n, source);
  }

  // Where the click's time goes: the handler alone (reading 编辑框1 back and gathering the
  // appends in memory), then the flush into the control; a read of 编辑框1 on its own; and the
  // scan for double-byte characters that the flush makes to cut its pieces.
  void MeasureParts(const std::string& n, const std::string& source, const std::string& listing) {
    Figure handler, flush, read, scan;
    std::string failure;
    for (int run = 0; run < 11; ++run) {
      Empty(box2_);
      EditTextBox box(box2_);
      double start = Now();
      TextToHex(window_.Box(kEditBox1Id), box);
      double middle = Now();
      box.Flush();
      double stop = Now();
      if (failure.empty()) failure = VerifyBox(box2_, listing, true);
      handler.Add(middle - start);
      flush.Add(stop - middle);
      PumpMessages();

      start = Now();
      const std::string back = ReadA(box1_);
      read.Add(Now() - start);
      if (back != source) failure = "编辑框1 changed";

      start = Now();
      std::size_t leads = 0;
      for (const char c : listing) leads += IsDBCSLeadByte(static_cast<BYTE>(c)) ? 1 : 0;
      scan.Add(Now() - start);
      if (leads != 0) failure = "lead bytes in a listing";
      if (!flush.WantsMore(options_.expensive)) break;
    }
    PrintFigure("part.handler." + n, handler);
    PrintFigure("part.flush." + n, flush);
    PrintFigure("part.read1." + n, read);
    PrintFigure("part.dbcsscan." + n, scan);
    PrintCheck("part." + n, failure);
  }

  // 编辑框2 holds the listing (the last floor run left it there).
  void MeasureHexToText(const std::string& n, const std::string& source) {
    Figure ours, set;
    std::string ours_failure, set_failure;
    std::string ours_text, set_text;
    for (int round = 0; round < 11; ++round) {
      if (ours.WantsMore(options_.expensive)) {
        Empty(box3_);
        const double start = Now();
        SendMessageW(button2_, BM_CLICK, 0, 0);
        ours.Add(Now() - start);
        ours_text = ReadA(box3_);
        PumpMessages();
      }
      if (set.WantsMore(options_.expensive)) {
        Empty(box3_);
        const double start = Now();
        SetWindowTextA(box3_, source.c_str());
        set.Add(Now() - start);
        set_text = ReadA(box3_);
        PumpMessages();
      }
    }
    if (ours_text != set_text) {
      ours_failure = "编辑框3 differs from one SetWindowTextA of the text";
    } else if (!options_.any_byte && ours_text != source) {
      ours_failure = "编辑框3 is not the text";
    }
    PrintFigure("h2t.ours." + n, ours);
    PrintCheck("h2t.ours." + n, ours_failure);
    PrintFigure("h2t.set." + n, set);
    PrintCheck("h2t.set." + n, set_failure);
  }

  // TextToHex through LiteralEditBox on 编辑框1 and 编辑框2, at the sizes that fit the budget
  // when the time is taken to grow with the square of the size from the largest one measured.
  void MeasureLiteral(std::size_t size) {
    const std::string n = std::to_string(size);
    if (literal_size_ != 0) {
      const double ratio = static_cast<double>(size) / static_cast<double>(literal_size_);
      const double expected = literal_seconds_ * ratio * ratio;
      if (expected > options_.literal_budget) {
        std::printf("info literal.skipped.%s expected %.1f s from %zu bytes\n", n.c_str(), expected,
                    literal_size_);
        return;
      }
    }
    SetWindowTextA(box1_, RandomText(size, options_.any_byte).c_str());
    PumpMessages();
    const std::string listing = Listing(ReadA(box1_));
    Figure literal;
    std::string failure;
    while (literal.WantsMore(2.0)) {
      Empty(box2_);
      LiteralEditBox source(box1_), target(box2_);
      const double start = Now();
      TextToHex(source, target);
      literal.Add(Now() - start);
      if (failure.empty()) failure = VerifyBox(box2_, listing, true);
      PumpMessages();
    }
    PrintFigure("literal." + n, literal);
    PrintCheck("literal." + n, failure);
    literal_size_ = size;
    literal_seconds_ = literal.best;
  }

  BoxOptions options_;
  MainWindow window_{MainWindow::Options{false}};
  HWND box1_ = nullptr, box2_ = nullptr, box3_ = nullptr;
  HWND button1_ = nullptr, button2_ = nullptr;
  std::size_t literal_size_ = 0;
  double literal_seconds_ = 0;
};

// Process start to a visible top-level window of `class_name` owned by the started process; the
// window is then closed and the process waited for. Negative on failure.
double StartOnce(const std::wstring& exe, const std::wstring& class_name, double* exit_seconds) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = Now();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  HWND window = nullptr;
  double shown = -1;
  while (Now() - start < 60) {
    HWND found = FindWindowW(class_name.c_str(), nullptr);
    if (found != nullptr && IsWindowVisible(found)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(found, &owner);
      if (owner == process.dwProcessId) {
        shown = Now() - start;
        window = found;
        break;
      }
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  const double closing = Now();
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
    shown = -1;
  }
  *exit_seconds = Now() - closing;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return shown;
}

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
  wide.resize(wide.size() - 1);
  return wide;
}

int RunStartup(int runs, int argc, char** argv) {
  struct Program {
    std::string name;
    std::wstring exe, class_name;
    std::vector<double> times;
    double exit_best = std::numeric_limits<double>::infinity();
    int failures = 0;
  };
  std::vector<Program> programs;
  for (int i = 0; i + 2 < argc; i += 3) {
    programs.push_back({argv[i], Wide(argv[i + 1]), Wide(argv[i + 2]), {}});
  }
  // One start of each first, not counted: it brings the files and libraries into the caches.
  for (int run = -1; run < runs; ++run) {
    for (Program& program : programs) {
      double exit_seconds = 0;
      const double shown = StartOnce(program.exe, program.class_name, &exit_seconds);
      if (run < 0) continue;
      if (shown < 0) {
        ++program.failures;
        continue;
      }
      program.times.push_back(shown);
      program.exit_best = std::min(program.exit_best, exit_seconds);
    }
  }
  for (Program& program : programs) {
    std::vector<double> sorted = program.times;
    std::sort(sorted.begin(), sorted.end());
    std::string all;
    for (const double t : program.times) {
      if (!all.empty()) all += ',';
      all += std::to_string(t);
    }
    if (sorted.empty()) {
      std::printf("check startup.%s FAILED no window was seen\n", program.name.c_str());
      continue;
    }
    const std::size_t m = sorted.size();
    const double median = m % 2 ? sorted[m / 2] : (sorted[m / 2 - 1] + sorted[m / 2]) / 2;
    std::printf("fig startup.%s.best %.6f %zu %.6f\n", program.name.c_str(), sorted.front(), m,
                median);
    std::printf("fig startup.%s.median %.6f %zu %.6f\n", program.name.c_str(), median, m, median);
    std::printf("fig startup.%s.close %.6f %zu %.6f\n", program.name.c_str(), program.exit_best, m,
                program.exit_best);
    std::printf("info startup.%s.all %s\n", program.name.c_str(), all.c_str());
    std::printf("check startup.%s %s\n", program.name.c_str(),
                program.failures == 0 ? "ok" : "FAILED some starts showed no window");
  }
  std::fflush(stdout);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: window_bench boxes [--bytes printable|any] [--literal-budget S] "
               "[--expensive S] SIZE...\n"
               "       window_bench startup RUNS NAME EXE CLASS [NAME EXE CLASS]...\n");
  return 2;
}

}  // namespace
}  // namespace vornelle

int main(int argc, char** argv) {
  using namespace vornelle;
  if (argc < 2) return Usage();
  const std::string mode = argv[1];
  if (mode == "startup") {
    if (argc < 6) return Usage();
    return RunStartup(std::atoi(argv[2]), argc - 3, argv + 3);
  }
  if (mode != "boxes") return Usage();
  BoxOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bytes" && i + 1 < argc) {
      options.any_byte = std::string(argv[++i]) == "any";
    } else if (arg == "--literal-budget" && i + 1 < argc) {
      options.literal_budget = std::atof(argv[++i]);
    } else if (arg == "--expensive" && i + 1 < argc) {
      options.expensive = std::atof(argv[++i]);
    } else {
      options.sizes.push_back(static_cast<std::size_t>(std::strtoull(argv[i], nullptr, 10)));
    }
  }
  if (options.sizes.empty()) options.sizes = {1000, 10000, 100000};
  std::sort(options.sizes.begin(), options.sizes.end());
  return BoxBench(options).Run();
}
