#pragma once

#include "platform/Keyboard.h"
#include "platform/MusicPlayer.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

#include <string>
#include <vector>

namespace platform {

class Toolbar;
class BarButtonItem;

// A song of the user's music directory.
struct MediaItem {
    std::string path;
    std::string title;  // the file name without its extension
    std::string artist; // the folder it is in
    bool operator==(const MediaItem&) const = default;
};

using MediaItemCollection = std::vector<MediaItem>;

// The user's music: the files the audio decoder reads (Ogg, FLAC, WAV,
// AIFF, CAF, ...) under the music directory.
class MediaLibrary {
public:
    // `xdg-user-dir MUSIC` when it names a folder other than the home
    // folder, else ~/Music; a directory set for tests wins.
    static std::string musicDirectory();
    static void setMusicDirectory(std::string dir);
    // The songs under `dir`, by title; at most kMaxSongs, kMaxDepth folders
    // deep. Empty when the folder is missing or holds none.
    static MediaItemCollection songsIn(const std::string& dir);

    static constexpr size_t kMaxSongs = 5000;
    static constexpr int kMaxDepth = 8;
};

class MediaPickerController;

// Told what the user picked. The picker does not hold its delegate; the
// delegate takes the picker down (dismissModalViewControllerAnimated).
class MediaPickerDelegate {
public:
    virtual ~MediaPickerDelegate() = default;
    virtual void didPickMediaItems(MediaPickerController* picker,
                                   const MediaItemCollection& collection) = 0;
    virtual void mediaPickerDidCancel(MediaPickerController* picker) = 0;
};

// A screen listing the songs of the music directory to pick from, with
// Cancel and Done. With multiple selection a tap ticks a song and Done
// hands over the ticked songs; without, a tap picks the song at once. With
// no songs (or no music directory) it says so and offers only Cancel.
// By keyboard: Tab or the arrows move a highlight over the songs (round
// from the last to the first), Space ticks the highlighted song (picks it
// without multiple selection), Return is Done (picks the highlighted song
// without multiple selection), Escape cancels.
class MediaPickerController : public ViewController,
                              public TableViewDataSource,
                              public TableViewDelegate,
                              public KeyResponder {
public:
    MediaPickerController();
    ~MediaPickerController() override;

    void setDelegate(MediaPickerDelegate* delegate) { delegate_ = delegate; }
    MediaPickerDelegate* delegate() const { return delegate_; }
    bool allowsPickingMultipleItems() const { return multiple_; }
    void setAllowsPickingMultipleItems(bool on) { multiple_ = on; }

    const MediaItemCollection& songs() const { return songs_; }
    // The songs ticked so far, in list order.
    MediaItemCollection pickedItems() const;
    TableView* tableView() const { return table_.get(); }
    BarButtonItem* doneItem() const { return done_.get(); }
    BarButtonItem* cancelItem() const { return cancel_.get(); }

    void done();
    void cancel();

    void loadView() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    int numberOfRowsInSection(TableView* table, int section) override;
    Ref<TableViewCell> cellForRowAtIndexPath(TableView* table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView* table, IndexPath indexPath) override;
    bool keyDown(const std::string& key) override;

private:
    // A tap or a key on the song in `row`.
    void choose(int row);
    void moveHighlight(int row);

    MediaPickerDelegate* delegate_ = nullptr;
    bool multiple_ = false;
    std::string directory_;
    MediaItemCollection songs_;
    std::vector<bool> ticked_;
    Ref<TableView> table_;
    Ref<Toolbar> toolbar_;
    Ref<BarButtonItem> done_, cancel_;
    // The song the keys last moved to or a tap chose, or -1.
    int highlighted_ = -1;
};

enum class MusicPlaybackState { Stopped, Playing, Paused };

// The system's music player: plays a queue of songs one after another
// through a music player of its own, whatever the game's sound does.
class MusicPlayerController : public MusicPlayerDelegate {
public:
    static MusicPlayerController& systemMusicPlayer();

    // Stops what plays and takes the songs as the new queue.
    void setQueueWithItemCollection(const MediaItemCollection& collection);
    const MediaItemCollection& queue() const { return queue_; }
    // From the current song (the first after a new queue); songs that cannot
    // be played are skipped.
    void play();
    void pause();
    void stop();
    void skipToNextItem();
    MusicPlaybackState playbackState() const { return state_; }
    // The song that plays or would play next; null with an empty queue.
    const MediaItem* nowPlayingItem() const;
    int indexOfNowPlayingItem() const { return index_; }
    float volume() const { return volume_; }
    void setVolume(float volume);

    // The song played to its end: the next one starts.
    void audioPlayerDidFinishPlaying(MusicPlayer* player, bool successfully) override;

private:
    MusicPlayerController() = default;
    bool startCurrent();

    MediaItemCollection queue_;
    Ref<MusicPlayer> player_;
    int index_ = 0;
    float volume_ = 1;
    MusicPlaybackState state_ = MusicPlaybackState::Stopped;
};

} // namespace platform
