#include "gui/list_watch.h"

#include <algorithm>

#include "data/core/file_io.h"

namespace kyomat {

ListWatch::ListWatch(std::function<std::filesystem::path()> file, QObject* parent)
    : QObject(parent), file_(std::move(file)) {
    constexpr int k_poll_ms = 2000;
    poll_.setInterval(k_poll_ms);
    connect(&poll_, &QTimer::timeout, this, &ListWatch::look);
    // A save replaces the file by a rename, which the folder's watch sees; a short delay lets
    // the other program finish.
    connect(&folder_, &QFileSystemWatcher::directoryChanged, this,
            [this] { QTimer::singleShot(100, this, &ListWatch::look); });
}

int ListWatch::add(Told told) {
    followers_.push_back({std::move(told), false});
    return static_cast<int>(followers_.size()) - 1;
}

void ListWatch::follow(int follower, bool on) {
    followers_.at(static_cast<std::size_t>(follower)).on = on;
    const bool anyone =
        std::any_of(followers_.begin(), followers_.end(), [](const Follower& f) { return f.on; });
    if (anyone && !poll_.isActive()) poll_.start();
    if (!anyone) poll_.stop();
}

bool ListWatch::following(int follower) const {
    return followers_.at(static_cast<std::size_t>(follower)).on;
}

std::string ListWatch::stamp() const {
    return file_ ? file_stamp(file_()) : std::string();
}

void ListWatch::look() {
    if (!file_) return;
    const std::filesystem::path file = file_();
    const QString folder = QString::fromStdString(utf8_of(file.parent_path()));
    if (folder_.directories() != QStringList{folder}) {
        if (!folder_.directories().isEmpty()) folder_.removePaths(folder_.directories());
        if (!folder.isEmpty()) folder_.addPath(folder);
    }
    const std::string now = file_stamp(file);
    // A follower may stop following while it is told; none is added then.
    for (const Follower& f : followers_) {
        if (f.on && f.told) f.told(now);
    }
}

}  // namespace kyomat
