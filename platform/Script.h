#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One line of a scripted-input file. See README for the format.
struct ScriptEvent {
    enum class Kind { TouchDown, TouchMove, TouchUp, TouchCancel, Tilt, TiltOff, Key, Screenshot,
                      Quit };
    Kind kind = Kind::Quit;
    bool inSeconds = false; // `when` counts seconds since start, else frames
    double when = 0;
    int line = 0;
    float x = 0, y = 0, z = 0; // touches: view points; tilt: g
    bool hasZ = false;
    int touchId = 0;
    std::string key;  // key events: the key's name
    bool keyDown = false;
    std::string path; // screenshots
};

// Scripted input: events in file order, each due once its time has come and
// every earlier line has been played.
class Script {
public:
    // Parses the text of a script; on a malformed line returns nothing and
    // sets `error` to "line N: ...".
    static std::optional<Script> parse(const std::string& text, std::string& error);
    // Reads and parses a file; a missing file is an error too.
    static std::optional<Script> load(const std::string& path, std::string& error);

    // The events due at `frame` (frames presented so far) and `seconds`
    // since start, in order; each is returned once.
    std::vector<ScriptEvent> due(uint64_t frame, double seconds);
    bool finished() const { return next_ >= events_.size(); }
    const std::vector<ScriptEvent>& events() const { return events_; }

private:
    std::vector<ScriptEvent> events_;
    size_t next_ = 0;
};

} // namespace platform
