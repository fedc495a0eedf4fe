#include "platform/Script.h"

#include "platform/Files.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace platform {

namespace {

bool toFloat(const std::string& s, float& out) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(out);
}

bool toInt(const std::string& s, int& out) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

bool parseWhen(const std::string& word, ScriptEvent& e) {
    if (!word.empty() && word.back() == 's') {
        float seconds = 0;
        if (!toFloat(word.substr(0, word.size() - 1), seconds) || seconds < 0) return false;
        e.inSeconds = true;
        e.when = seconds;
        return true;
    }
    int frame = 0;
    if (!toInt(word, frame) || frame < 0) return false;
    e.when = frame;
    return true;
}

// Parses the words after the time; empty string on success, else the problem.
std::string parseCommand(const std::vector<std::string>& w, ScriptEvent& e) {
    const std::string& cmd = w[1];
    size_t n = w.size();
    if (cmd == "touch") {
        if (n < 3) return "touch needs down, move, up or cancel";
        const std::string& phase = w[2];
        if (phase == "cancel") {
            e.kind = ScriptEvent::Kind::TouchCancel;
            if (n > 4) return "touch cancel takes at most a touch id";
            if (n == 4 && (!toInt(w[3], e.touchId) || e.touchId < 0))
                return "bad touch id '" + w[3] + "'";
            return {};
        }
        if (phase == "down")
            e.kind = ScriptEvent::Kind::TouchDown;
        else if (phase == "move")
            e.kind = ScriptEvent::Kind::TouchMove;
        else if (phase == "up")
            e.kind = ScriptEvent::Kind::TouchUp;
        else
            return "unknown touch phase '" + phase + "'";
        if (n < 5 || n > 6) return "touch " + phase + " needs X Y [ID]";
        if (!toFloat(w[3], e.x) || !toFloat(w[4], e.y)) return "bad coordinates";
        if (n == 6 && (!toInt(w[5], e.touchId) || e.touchId < 0))
            return "bad touch id '" + w[5] + "'";
        return {};
    }
    if (cmd == "tilt") {
        if (n == 3 && w[2] == "off") {
            e.kind = ScriptEvent::Kind::TiltOff;
            return {};
        }
        if (n < 4 || n > 5) return "tilt needs X Y [Z] in g, or off";
        e.kind = ScriptEvent::Kind::Tilt;
        if (!toFloat(w[2], e.x) || !toFloat(w[3], e.y)) return "bad tilt values";
        if (n == 5) {
            if (!toFloat(w[4], e.z)) return "bad tilt values";
            e.hasZ = true;
        }
        if (std::fabs(e.x) > 4 || std::fabs(e.y) > 4 || std::fabs(e.z) > 4)
            return "tilt values must be within -4..4 g";
        return {};
    }
    if (cmd == "key") {
        if (n != 4 || (w[3] != "down" && w[3] != "up")) return "key needs NAME down|up";
        e.kind = ScriptEvent::Kind::Key;
        e.key = w[2];
        e.keyDown = w[3] == "down";
        return {};
    }
    if (cmd == "screenshot") {
        if (n != 3) return "screenshot needs one PATH";
        e.kind = ScriptEvent::Kind::Screenshot;
        e.path = w[2];
        return {};
    }
    if (cmd == "quit") {
        if (n != 2) return "quit takes nothing";
        e.kind = ScriptEvent::Kind::Quit;
        return {};
    }
    return "unknown command '" + cmd + "'";
}

} // namespace

std::optional<Script> Script::parse(const std::string& text, std::string& error) {
    Script script;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty()) continue;
        ScriptEvent e;
        e.line = number;
        if (!parseWhen(w[0], e)) {
            error = "line " + std::to_string(number) + ": bad time '" + w[0] +
                    "' (a frame number or seconds such as 1.5s)";
            return std::nullopt;
        }
        if (w.size() < 2) {
            error = "line " + std::to_string(number) + ": missing command";
            return std::nullopt;
        }
        if (std::string problem = parseCommand(w, e); !problem.empty()) {
            error = "line " + std::to_string(number) + ": " + problem;
            return std::nullopt;
        }
        script.events_.push_back(std::move(e));
    }
    return script;
}

std::optional<Script> Script::load(const std::string& path, std::string& error) {
    auto bytes = readFile(path, size_t(16) << 20);
    if (!bytes) {
        error = "cannot read script file '" + path + "'";
        return std::nullopt;
    }
    std::string problem;
    auto script = parse(std::string(bytes->begin(), bytes->end()), problem);
    if (!script) error = path + ": " + problem;
    return script;
}

std::vector<ScriptEvent> Script::due(uint64_t frame, double seconds) {
    std::vector<ScriptEvent> out;
    while (next_ < events_.size()) {
        const ScriptEvent& e = events_[next_];
        bool ready = e.inSeconds ? seconds >= e.when : double(frame) >= e.when;
        if (!ready) break;
        out.push_back(e);
        ++next_;
    }
    return out;
}

} // namespace platform
