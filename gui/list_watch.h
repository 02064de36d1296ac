#pragma once
// The one watch of the shared bout list, for every view that follows it (the panel's grid,
// the hall's call-up): the list's folder watched by the system, so that a save is seen a
// moment after it, and a look every two seconds while anyone follows, for what a folder's
// watch misses (a network share). Each look reads the list's stamp once (size, time, node
// and change time: a same-size save within a FAT stick's two seconds still counts) and tells
// it to every follower, which reads the list again when the stamp is not the one it read.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kyomat {

class ListWatch : public QObject {
  public:
    explicit ListWatch(std::function<std::filesystem::path()> file, QObject* parent = nullptr);
    using Told = std::function<void(const std::string& stamp)>;
    // A follower, told at every look while it follows (from when follow() says so).
    int add(Told told);
    void follow(int follower, bool on);
    bool following(int follower) const;
    // The list's stamp now (empty while it is missing).
    std::string stamp() const;
    // One look now, as the folder's watch and the poll make it.
    void look();

  private:
    std::function<std::filesystem::path()> file_;
    QFileSystemWatcher folder_;
    QTimer poll_;
    struct Follower {
        Told told;
        bool on = false;
    };
    std::vector<Follower> followers_;
};

}  // namespace kyomat
