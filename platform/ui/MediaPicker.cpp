#include "platform/ui/MediaPicker.h"

#include "platform/AudioFile.h"
#include "platform/Window.h"
#include "platform/ui/Label.h"
#include "platform/ui/Toolbar.h"
#include "support/Log.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace platform {

namespace fs = std::filesystem;

// --- library ---

namespace {

std::string& musicOverride() {
    static auto* dir = new std::string;
    return *dir;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// What `xdg-user-dir MUSIC` answers; empty when it cannot be asked.
std::string xdgMusicDirectory() {
    FILE* pipe = popen("xdg-user-dir MUSIC 2>/dev/null", "r");
    if (!pipe) return {};
    std::array<char, 4096> line{};
    std::string out;
    if (std::fgets(line.data(), int(line.size()), pipe)) out = line.data();
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

bool audioExtension(const std::string& ext) {
    static const char* const known[] = {".ogg", ".oga",  ".flac", ".wav",  ".wave",
                                        ".aif", ".aiff", ".aifc", ".caf",  ".au",
                                        ".snd", ".w64",  ".rf64", ".opus", ".mp3"};
    std::string e = lower(ext);
    return std::any_of(std::begin(known), std::end(known), [&](const char* k) { return e == k; });
}

} // namespace

void MediaLibrary::setMusicDirectory(std::string dir) {
    musicOverride() = std::move(dir);
}

std::string MediaLibrary::musicDirectory() {
    if (!musicOverride().empty()) return musicOverride();
    const char* home = std::getenv("HOME");
    std::string homeDir = home ? home : "";
    std::string xdg = xdgMusicDirectory();
    std::error_code ec;
    // The tool answers the home folder when no music folder is set.
    if (!xdg.empty() && fs::path(xdg) != fs::path(homeDir) && fs::is_directory(xdg, ec)) return xdg;
    return homeDir.empty() ? std::string() : (fs::path(homeDir) / "Music").string();
}

MediaItemCollection MediaLibrary::songsIn(const std::string& dir) {
    MediaItemCollection songs;
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir, ec)) return songs;
    auto options = fs::directory_options::skip_permission_denied;
    fs::recursive_directory_iterator it(dir, options, ec), end;
    for (; !ec && it != end && songs.size() < kMaxSongs; it.increment(ec)) {
        if (it.depth() >= kMaxDepth) it.disable_recursion_pending();
        const fs::directory_entry& entry = *it;
        if (!entry.is_regular_file(ec) || !audioExtension(entry.path().extension().string()))
            continue;
        // Only what the decoder really reads.
        if (!AudioFile::open(entry.path().string())) continue;
        songs.push_back(MediaItem{entry.path().string(), entry.path().stem().string(),
                                  entry.path().parent_path().filename().string()});
    }
    std::stable_sort(songs.begin(), songs.end(), [](const MediaItem& a, const MediaItem& b) {
        return lower(a.title) < lower(b.title);
    });
    return songs;
}

// --- picker ---

MediaPickerController::MediaPickerController() {
    setTitle("Songs");
}

MediaPickerController::~MediaPickerController() {
    if (Keyboard::shared().hasResponder(this)) Keyboard::shared().removeResponder(this);
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void MediaPickerController::loadView() {
    Window* w = Window::main();
    Rect full = w ? w->bounds() : Rect(0, 0, 320, 480);
    auto root = make<View>(full);
    root->setBackgroundColor(ccColor4F{1, 1, 1, 1});
    setView(root.get());

    directory_ = MediaLibrary::musicDirectory();
    songs_ = MediaLibrary::songsIn(directory_);
    ticked_.assign(songs_.size(), false);

    toolbar_ = make<Toolbar>(Rect(0, 0, full.size.width, Toolbar::kHeight));
    toolbar_->setBarStyle(BarStyle::Black);
    cancel_ = make<BarButtonItem>("Cancel", BarButtonItemStyle::Bordered,
                                  Selector<void()>("cancel", [this] { cancel(); }));
    done_ = make<BarButtonItem>("Done", BarButtonItemStyle::Done,
                                Selector<void()>("done", [this] { done(); }));
    auto heading = make<Label>(Rect(90, 0, full.size.width - 180, Toolbar::kHeight), title());
    heading->setFont(Font::boldSystemFont(18));
    heading->setTextColor(ccColor4F{1, 1, 1, 1});
    heading->setTextAlignment(TextAlignment::Center);
    std::vector<Ref<BarButtonItem>> items{cancel_, BarButtonItem::flexibleSpace()};
    if (!songs_.empty()) {
        items.push_back(done_);
        done_->setEnabled(!multiple_);
    }
    toolbar_->setItems(items);
    toolbar_->addSubview(heading.get());
    root->addSubview(toolbar_.get());

    Rect below(0, Toolbar::kHeight, full.size.width, full.size.height - Toolbar::kHeight);
    if (songs_.empty()) {
        auto note = make<Label>(Rect(20, below.origin.y + 60, full.size.width - 40, 200));
        note->setNumberOfLines(0);
        note->setTextAlignment(TextAlignment::Center);
        note->setTextColor(ccColor4F{0.35f, 0.35f, 0.38f, 1});
        note->setText(directory_.empty() || !fs::is_directory(directory_)
                          ? "No music folder was found.\n\nMake a folder named Music in your home "
                            "folder and put songs in it."
                          : "No songs were found in\n" + directory_ +
                                "\n\nOgg, FLAC, WAV, AIFF and CAF files can be played.");
        root->addSubview(note.get());
        return;
    }
    table_ = make<TableView>(below);
    table_->setDelegate(this);
    table_->setDataSource(this);
    root->addSubview(table_.get());
}

MediaItemCollection MediaPickerController::pickedItems() const {
    MediaItemCollection picked;
    for (size_t i = 0; i < songs_.size(); ++i)
        if (ticked_[i]) picked.push_back(songs_[i]);
    return picked;
}

void MediaPickerController::done() {
    Ref<ViewController> keep(this);
    if (delegate_) delegate_->didPickMediaItems(this, pickedItems());
}

void MediaPickerController::cancel() {
    Ref<ViewController> keep(this);
    if (delegate_) delegate_->mediaPickerDidCancel(this);
}

void MediaPickerController::viewDidAppear(bool) {
    Keyboard::shared().addResponder(this, Keyboard::kModalPriority);
}

void MediaPickerController::viewWillDisappear(bool) {
    Keyboard::shared().removeResponder(this);
}

bool MediaPickerController::keyDown(const std::string& key) {
    Ref<ViewController> keep(this); // the delegate may let the picker go
    if (key == "escape") {
        cancel();
        return true;
    }
    if (!table_ || songs_.empty()) return false;
    const int n = int(songs_.size());
    if (key == "down" || key == "tab" || key == "up") {
        bool back = key == "up";
        int row = highlighted_ < 0 ? (back ? n - 1 : 0) : (highlighted_ + (back ? n - 1 : 1)) % n;
        moveHighlight(row);
        return true;
    }
    if (key == "space" || (key == "return" && !multiple_)) {
        if (highlighted_ < 0) return false;
        choose(highlighted_);
        return true;
    }
    if (key == "return") {
        if (done_->enabled()) done();
        return true;
    }
    return false;
}

void MediaPickerController::moveHighlight(int row) {
    highlighted_ = row;
    IndexPath ip{0, row};
    table_->scrollToRowAtIndexPath(ip);
    table_->selectRowAtIndexPath(ip, false);
}

int MediaPickerController::numberOfRowsInSection(TableView*, int) {
    return int(songs_.size());
}

Ref<TableViewCell> MediaPickerController::cellForRowAtIndexPath(TableView* table, IndexPath ip) {
    Ref<TableViewCell> cell = table->dequeueReusableCellWithIdentifier("song");
    if (!cell) cell = make<TableViewCell>(TableViewCellStyle::Default, "song");
    size_t i = size_t(ip.row);
    if (i >= songs_.size()) return cell;
    cell->textLabel()->setText(songs_[i].title);
    cell->setAccessoryType(ticked_[i] ? TableViewCellAccessoryType::Checkmark
                                      : TableViewCellAccessoryType::None);
    return cell;
}

void MediaPickerController::didSelectRowAtIndexPath(TableView* table, IndexPath ip) {
    table->deselectRowAtIndexPath(ip, true);
    // The keys go on from the song tapped.
    highlighted_ = ip.row;
    choose(ip.row);
}

void MediaPickerController::choose(int row) {
    if (row < 0 || size_t(row) >= songs_.size()) return;
    size_t i = size_t(row);
    if (!multiple_) {
        ticked_.assign(songs_.size(), false);
        ticked_[i] = true;
        done();
        return;
    }
    ticked_[i] = !ticked_[i];
    if (TableViewCell* cell = table_->cellForRowAtIndexPath({0, row}))
        cell->setAccessoryType(ticked_[i] ? TableViewCellAccessoryType::Checkmark
                                          : TableViewCellAccessoryType::None);
    done_->setEnabled(std::find(ticked_.begin(), ticked_.end(), true) != ticked_.end());
}

// --- system music player ---

MusicPlayerController& MusicPlayerController::systemMusicPlayer() {
    // Never destroyed: it may be playing while the program ends.
    static auto* player = new MusicPlayerController;
    return *player;
}

void MusicPlayerController::setQueueWithItemCollection(const MediaItemCollection& collection) {
    stop();
    queue_ = collection;
    index_ = 0;
}

const MediaItem* MusicPlayerController::nowPlayingItem() const {
    return index_ >= 0 && index_ < int(queue_.size()) ? &queue_[size_t(index_)] : nullptr;
}

bool MusicPlayerController::startCurrent() {
    // Songs that cannot be played are passed over.
    for (; index_ < int(queue_.size()); ++index_) {
        Ref<MusicPlayer> p = MusicPlayer::playerWithContentsOfFile(queue_[size_t(index_)].path);
        if (!p) continue;
        p->setDelegate(this);
        p->setVolume(volume_);
        if (!p->play()) continue;
        player_ = p;
        state_ = MusicPlaybackState::Playing;
        return true;
    }
    player_ = nullptr;
    state_ = MusicPlaybackState::Stopped;
    index_ = 0;
    return false;
}

void MusicPlayerController::play() {
    if (state_ == MusicPlaybackState::Playing) return;
    if (state_ == MusicPlaybackState::Paused && player_ && player_->play()) {
        state_ = MusicPlaybackState::Playing;
        return;
    }
    startCurrent();
}

void MusicPlayerController::pause() {
    if (state_ != MusicPlaybackState::Playing || !player_) return;
    player_->pause();
    state_ = MusicPlaybackState::Paused;
}

void MusicPlayerController::stop() {
    if (player_) {
        player_->setDelegate(nullptr);
        player_->stop();
    }
    player_ = nullptr;
    state_ = MusicPlaybackState::Stopped;
}

void MusicPlayerController::skipToNextItem() {
    bool playing = state_ == MusicPlaybackState::Playing;
    stop();
    ++index_;
    if (index_ >= int(queue_.size())) {
        index_ = 0;
        return;
    }
    if (playing) startCurrent();
}

void MusicPlayerController::setVolume(float volume) {
    volume_ = std::clamp(std::isfinite(volume) ? volume : 1.0f, 0.0f, 1.0f);
    if (player_) player_->setVolume(volume_);
}

void MusicPlayerController::audioPlayerDidFinishPlaying(MusicPlayer* player, bool) {
    if (player != player_.get()) return;
    player_->setDelegate(nullptr);
    player_ = nullptr;
    ++index_;
    startCurrent();
}

} // namespace platform
