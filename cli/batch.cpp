#include "cli/batch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "base/language.h"
#include "base/number_format.h"
#include "base/text_file.h"

extern char** environ;

namespace tessarin::cli {

namespace {

namespace fs = std::filesystem;

// The children running, for the signal handler; 0 marks a free place.
constexpr int kMaxJobs = 64;
pid_t gChildren[kMaxJobs] = {};
volatile std::sig_atomic_t gStopSignal = 0;
volatile std::sig_atomic_t gWritingSummary = 0;

void StopChildren(int signal) {
    const int savedErrno = errno;
    gStopSignal = signal;
    for (const pid_t child : gChildren) {
        if (child > 0) {
            kill(child, SIGTERM);
        }
    }
    if (gWritingSummary != 0) {
        // The summary's temporary goes; the signal then ends the process.
        base::RemovePendingTemporary();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    errno = savedErrno;
}

// Without SA_RESTART, so that waitpid returns at once when a signal comes.
void InstallStopHandler() {
    struct sigaction action {};
    action.sa_handler = StopChildren;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

bool HasExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".stl" || ext == ".tsf";
}

struct TInput {
    std::string Path;
    std::string Name;  // the results' name in FOLDER, without extension
};

// A folder's .stl and .tsf files in byte order of their names.
bool AddFolder(const std::string& folder, std::vector<std::string>& files, std::ostream& err) {
    std::error_code error;
    std::vector<std::string> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && HasExtension(it->path())) {
            found.push_back(it->path().filename().string());
        }
    }
    if (error) {
        err << folder << ": " << error.message() << '\n';
        return false;
    }
    std::sort(found.begin(), found.end());
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (const std::string& name : found) {
        files.push_back(prefix + name);
    }
    return true;
}

bool AddPath(const std::string& path, std::vector<std::string>& files, std::ostream& err) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return AddFolder(path, files, err);
    }
    // "--csv out.csv" would otherwise make out.csv an input; only models are analysed.
    if (!HasExtension(path)) {
        err << path << ": "
            << base::Pick(
                   "not a model (.stl or .tsf) nor a folder; a list of inputs is given "
                   "as @LIST, and --csv and --json take no file name in a batch",
                   "не модель (.stl или .tsf) и не папка; список входных файлов "
                   "задаётся как @СПИСОК, а --csv и --json в пакете не принимают имени "
                   "файла")
            << '\n';
        return false;
    }
    // A model that is missing or unreadable fails in its child, named in the summary.
    files.push_back(path);
    return true;
}

bool AddList(const std::string& list, std::vector<std::string>& files, std::ostream& err) {
    base::TFileContents contents;
    if (const base::TResult opened = contents.Open(list); !opened) {
        err << "@" << list << ": " << opened.Reason() << '\n';
        return false;
    }
    const fs::path base = fs::path(list).parent_path();
    for (std::string_view line : base::SplitLines(contents.Text())) {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const fs::path entry{std::string(line)};
        const std::string path =
            entry.is_absolute() || base.empty() ? entry.string() : (base / entry).string();
        if (!AddPath(path, files, err)) {
            return false;
        }
    }
    return true;
}

// "cutter", then "cutter-2", "cutter-3" for the next inputs of that name, in input order;
// "summary" is the summary's.
std::vector<TInput> NameInputs(const std::vector<std::string>& files) {
    std::vector<TInput> inputs;
    // "summary.stl" with --csv would write over the summary.
    std::set<std::string> taken{"summary"};
    for (const std::string& file : files) {
        const std::string stem = fs::path(file).stem().string();
        std::string name = stem.empty() ? std::string("input") : stem;
        for (int n = 2; taken.count(name) > 0; ++n) {
            name = stem + "-" + std::to_string(n);
        }
        taken.insert(name);
        inputs.push_back({file, name});
    }
    return inputs;
}

struct TOutcome {
    int Exit = kExitFailure;
    double Seconds = 0.0;
    std::map<std::string, std::string> Values;       // facets, segments, edges, tolerance, error
    std::vector<std::array<std::string, 3>> Angles;  // key, min, max
};

std::string Unescape(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            plain += text[i] == 'n' ? '\n' : text[i] == 't' ? '\t' : text[i];
        } else {
            plain += text[i];
        }
    }
    return plain;
}

std::string Escape(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        escaped += c == '\n'   ? std::string("\\n")
                   : c == '\t' ? std::string("\\t")
                   : c == '\\' ? std::string("\\\\")
                               : std::string(1, c);
    }
    return escaped;
}

void ReadFigures(const std::string& path, TOutcome& outcome) {
    base::TFileContents contents;
    if (!contents.Open(path)) {
        return;
    }
    for (const std::string_view line : base::SplitLines(contents.Text())) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(Unescape(line.substr(start, tab - start)));
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        if (fields[0] == "angle" && fields.size() == 4) {
            outcome.Angles.push_back({fields[1], fields[2], fields[3]});
        } else if (fields.size() == 2) {
            outcome.Values[fields[0]] = fields[1];
        }
    }
}

std::string CsvField(const std::string& text, char delimiter) {
    if (text.find_first_of(std::string("\"\r\n") + delimiter) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

class TBatch {
public:
    TBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err)
        : Options(options), Out(out), Err(err) {}

    int Run() {
        std::vector<std::string> files;
        for (const std::string& input : Options.Inputs) {
            const bool ok = input.size() > 1 && input.front() == '@'
                                ? AddList(input.substr(1), files, Err)
                                : AddPath(input, files, Err);
            if (!ok) {
                return kExitUsage;
            }
        }
        if (files.empty()) {
            Err << base::Pick("batch: no input found (no .stl or .tsf file)",
                              "batch: нет входных файлов (ни одного .stl или .tsf)")
                << '\n';
            return kExitUsage;
        }
        Inputs = NameInputs(files);
        std::error_code error;
        fs::create_directories(Options.Folder, error);
        if (error || !fs::is_directory(Options.Folder)) {
            Err << "-o " << Options.Folder << ": "
                << (error ? error.message() : std::string("not a folder")) << '\n';
            return kExitUsage;
        }
        // A summary is there only after a whole batch: an old one would describe results
        // this run replaces.
        fs::remove(Summary(), error);
        for (std::size_t i = 0; i < Inputs.size(); ++i) {
            if (Inputs[i].Name != fs::path(Inputs[i].Path).stem().string()) {
                Out << Inputs[i].Path << ": "
                    << base::Say(
                           "written as %1 (the name is taken by an earlier input or the summary)",
                           "записан как %1 (имя занято предыдущим входным файлом или сводкой)",
                           Inputs[i].Name)
                    << '\n';
            }
        }
        Outcomes.resize(Inputs.size());
        InstallStopHandler();
        const int jobs = std::clamp(Options.Jobs, 1, kMaxJobs);
        std::size_t next = 0;
        std::size_t running = 0;
        while (gStopSignal == 0 && (next < Inputs.size() || running > 0)) {
            while (gStopSignal == 0 && next < Inputs.size() &&
                   running < static_cast<std::size_t>(jobs)) {
                if (Start(next)) {
                    ++running;
                } else {
                    Report(next);
                }
                ++next;
            }
            if (running > 0 && Reap()) {
                --running;
            }
        }
        if (gStopSignal != 0) {
            return Stop();
        }
        int worst = kExitSuccess;
        for (const TOutcome& outcome : Outcomes) {
            worst = WorseExit(worst, outcome.Exit);
        }
        if (!WriteSummary()) {
            return WorseExit(worst, kExitFailure);
        }
        return worst;
    }

private:
    std::string InFolder(const std::string& file) const {
        return (fs::path(Options.Folder) / file).string();
    }
    std::string Summary() const { return InFolder("summary.csv"); }
    std::string FiguresFile(std::size_t i) const {
        return InFolder("." + Inputs[i].Name + ".figures");
    }
    std::vector<std::string> Results(std::size_t i) const {
        std::vector<std::string> files{InFolder(Inputs[i].Name + ".tsf")};
        for (const TTableOutput& table : Options.Analysis.Tables) {
            files.push_back(InFolder(Inputs[i].Name + "." + table.Format));
        }
        if (Options.Analysis.Json) {
            files.push_back(InFolder(Inputs[i].Name + ".json"));
        }
        return files;
    }

    bool Start(std::size_t i) {
        const std::vector<std::string> results = Results(i);
        std::vector<std::string> args{Options.Executable, "analyze", Inputs[i].Path, "-o",
                                      results[0]};
        std::size_t r = 1;
        for (const TTableOutput& table : Options.Analysis.Tables) {
            args.push_back("--" + table.Format + "=" + results[r++]);
        }
        if (Options.Analysis.Json) {
            args.push_back("--json=" + results[r++]);
        }
        args.insert(args.end(), Options.ChildArguments.begin(), Options.ChildArguments.end());
        args.push_back("--figures-to=" + FiguresFile(i));
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const std::string log = InFolder(Inputs[i].Name + ".log");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0666);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::error_code removeError;
        fs::remove(FiguresFile(i), removeError);
        pid_t pid = 0;
        Started[i] = std::chrono::steady_clock::now();
        const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            Outcomes[i].Exit = kExitFailure;
            Outcomes[i].Values["error"] =
                "cannot run " + Options.Executable + ": " + std::strerror(error);
            return false;
        }
        for (pid_t& place : gChildren) {
            if (place == 0) {
                place = pid;
                break;
            }
        }
        Running[pid] = i;
        return true;
    }

    // Waits for one child; false when a signal came first.
    bool Reap() {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, 0);
        if (pid <= 0) {
            return false;
        }
        const auto found = Running.find(pid);
        if (found == Running.end()) {
            return false;
        }
        const std::size_t i = found->second;
        Running.erase(found);
        for (pid_t& place : gChildren) {
            if (place == pid) {
                place = 0;
            }
        }
        if (gStopSignal != 0) {
            // Most likely ended by the stop itself: its results go with the others'.
            Stopped.push_back(i);
            return true;
        }
        TOutcome& outcome = Outcomes[i];
        outcome.Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Started[i]).count();
        ReadFigures(FiguresFile(i), outcome);
        std::error_code error;
        fs::remove(FiguresFile(i), error);
        if (WIFEXITED(status)) {
            const int code = WEXITSTATUS(status);
            outcome.Exit = code <= kExitOutOfTolerance ? code : kExitFailure;
            if (code > kExitOutOfTolerance) {
                outcome.Values["error"] = "exit code " + std::to_string(code);
            }
        } else {
            outcome.Exit = kExitFailure;
            outcome.Values["error"] =
                base::Say("ended by signal %1", "завершён сигналом %1",
                          std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0));
        }
        if ((outcome.Exit == kExitFailure || outcome.Exit == kExitUsage) &&
            outcome.Values["error"].empty()) {
            outcome.Values["error"] =
                base::Pick("no reason given; see the log", "причина не указана; см. журнал");
        }
        Report(i);
        return true;
    }

    void Report(std::size_t i) {
        const TOutcome& outcome = Outcomes[i];
        if (outcome.Exit == kExitFailure || outcome.Exit == kExitUsage) {
            // The child's reasons mostly name the input already.
            const std::string& reason = outcome.Values.at("error");
            const std::string named = Inputs[i].Path + ": ";
            Err << "batch: " << (reason.rfind(named, 0) == 0 ? "" : named) << reason << " (exit "
                << outcome.Exit << ", log " << InFolder(Inputs[i].Name + ".log") << ")\n";
        } else if (!Options.Analysis.Quiet) {
            Out << Inputs[i].Path << ": " << InFolder(Inputs[i].Name + ".tsf")
                << (outcome.Exit == kExitOutOfTolerance ? " (out of tolerance)" : "") << '\n';
        }
    }

    // The children have their SIGTERM (or the terminal's SIGINT); the inputs in progress
    // leave nothing, then the signal ends this process too.
    int Stop() {
        for (;;) {
            int status = 0;
            const pid_t pid = waitpid(-1, &status, 0);
            if (pid > 0) {
                continue;
            }
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (const auto& [pid, i] : Running) {
            Stopped.push_back(i);
        }
        std::sort(Stopped.begin(), Stopped.end());
        for (const std::size_t i : Stopped) {
            std::error_code error;
            for (const std::string& file : Results(i)) {
                fs::remove(file, error);
            }
            fs::remove(FiguresFile(i), error);
            fs::remove(InFolder(Inputs[i].Name + ".log"), error);
            Err << "batch: " << Inputs[i].Path << ": "
                << base::Pick("stopped; its results are removed",
                              "остановлен; его результаты удалены")
                << '\n';
        }
        const int signal = gStopSignal;
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return 128 + signal;
    }

    bool WriteSummary() {
        const char decimal = Options.Analysis.DecimalSeparator;
        const char delimiter = decimal == ',' ? ';' : ',';
        // Every angle any input computed, in the order they first came.
        std::vector<std::string> keys;
        for (const TOutcome& outcome : Outcomes) {
            for (const auto& angle : outcome.Angles) {
                if (std::find(keys.begin(), keys.end(), angle[0]) == keys.end()) {
                    keys.push_back(angle[0]);
                }
            }
        }
        std::string text;
        auto row = [&](const std::vector<std::string>& fields) {
            for (std::size_t f = 0; f < fields.size(); ++f) {
                text += (f > 0 ? std::string(1, delimiter) : std::string{}) +
                        CsvField(fields[f], delimiter);
            }
            text += "\r\n";
        };
        std::vector<std::string> header{"file", "name", "facets", "segments", "edges"};
        for (const std::string& key : keys) {
            header.push_back(key + " min");
            header.push_back(key + " max");
        }
        header.insert(header.end(), {"tolerance", "time s", "exit code", "error"});
        row(header);
        for (std::size_t i = 0; i < Inputs.size(); ++i) {
            TOutcome& outcome = Outcomes[i];
            std::vector<std::string> fields{Inputs[i].Path, Inputs[i].Name,
                                            outcome.Values["facets"], outcome.Values["segments"],
                                            outcome.Values["edges"]};
            for (const std::string& key : keys) {
                const auto angle = std::find_if(outcome.Angles.begin(), outcome.Angles.end(),
                                                [&](const auto& a) { return a[0] == key; });
                fields.push_back(angle != outcome.Angles.end() ? (*angle)[1] : std::string{});
                fields.push_back(angle != outcome.Angles.end() ? (*angle)[2] : std::string{});
            }
            fields.insert(fields.end(), {outcome.Values["tolerance"],
                                         base::FloatToStrAcc(3, outcome.Seconds, decimal),
                                         std::to_string(outcome.Exit), outcome.Values["error"]});
            row(fields);
        }
        gWritingSummary = 1;
        const base::TResult written = base::WriteFileAtomically(Summary(), text);
        gWritingSummary = 0;
        if (!written) {
            Err << "Ошибка при сохранении файла: " << written.Reason() << '\n';
            return false;
        }
        if (!Options.Analysis.Quiet) {
            Out << "written: " << Summary() << '\n';
        }
        return true;
    }

    const TBatchOptions& Options;
    std::ostream& Out;
    std::ostream& Err;
    std::vector<TInput> Inputs;
    std::vector<TOutcome> Outcomes;
    std::map<pid_t, std::size_t> Running;
    std::vector<std::size_t> Stopped;  // the inputs in progress when a signal came
    std::map<std::size_t, std::chrono::steady_clock::time_point> Started;
};

int Rank(int code) {
    switch (code) {
        case kExitSuccess:
            return 0;
        case kExitOutOfTolerance:
            return 1;
        case kExitFailure:
            return 2;
        default:
            return 3;  // kExitUsage
    }
}

}  // namespace

int WorseExit(int a, int b) {
    return Rank(a) >= Rank(b) ? a : b;
}

int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err) {
    return TBatch(options, out, err).Run();
}

void WriteFigures(const std::string& path, int exitCode, const TAnalyzeFigures& figures,
                  const std::string& errors) {
    std::string text = "exit\t" + std::to_string(exitCode) + "\n";
    if (figures.Made) {
        text += "facets\t" + std::to_string(figures.Facets) + "\n";
        text += "segments\t" + std::to_string(figures.Segments) + "\n";
        text += "edges\t" + std::to_string(figures.Edges) + "\n";
        text += "tolerance\t" + figures.Tolerance + "\n";
        for (const TAnalyzeFigures::TAngle& angle : figures.Angles) {
            text += "angle\t" + Escape(angle.Key) + "\t" + Escape(angle.Min) + "\t" +
                    Escape(angle.Max) + "\n";
        }
    }
    if (exitCode == kExitFailure || exitCode == kExitUsage) {
        // The last line said is the reason the road stopped for.
        std::string last;
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) {
                last = line;
            }
        }
        text += "error\t" + Escape(last) + "\n";
    }
    (void)base::WriteFileAtomically(path, text);
}

}  // namespace tessarin::cli
