#pragma once
// An account of every handle opened and closed by the code under test, so that a leak or a
// double close shows. Safe to call from several threads.
#include <map>
#include <mutex>

namespace test_support {

template <class Handle>
class HandleLedger {
public:
    void Opened(Handle handle)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++open_[handle];
        ++opened_;
    }
    // Call before the handle is released, so that a reuse of its value cannot come first.
    void Closing(Handle handle)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (--open_[handle] < 0)
            ++doubleCloses_;
    }
    int StillOpen()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        int count = 0;
        for (const auto& entry : open_)
            count += entry.second > 0 ? entry.second : 0;
        return count;
    }
    int DoubleCloses()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return doubleCloses_;
    }
    int Opened()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return opened_;
    }

private:
    std::mutex mutex_;
    std::map<Handle, int> open_;
    int doubleCloses_ = 0;
    int opened_ = 0;
};

} // namespace test_support
