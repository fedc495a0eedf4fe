#include "platform/Background.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {

std::atomic<bool> processEnding = false;

class Workers {
public:
    ~Workers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            processEnding = true;
            queue_.clear();
        }
        wake_.notify_all();
        for (auto& t : threads_) t.join();
    }

    void add(std::function<void()> job) {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        queue_.push_back(std::move(job));
        if (idle_ == 0 && int(threads_.size()) < kMaxWorkers)
            threads_.emplace_back([this] { work(); });
        else
            wake_.notify_one();
    }

    void waitIdle() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
    }

private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ++idle_;
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            --idle_;
            if (stopping_) return;
            std::function<void()> job = std::move(queue_.front());
            queue_.pop_front();
            ++busy_;
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            --busy_;
            if (queue_.empty() && busy_ == 0) done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread> threads_;
    int idle_ = 0;
    int busy_ = 0;
    bool stopping_ = false;
};

Workers& workers() {
    static Workers w;
    return w;
}

} // namespace

void runInBackground(std::function<void()> job) {
    workers().add(std::move(job));
}

bool backgroundStopping() {
    return processEnding;
}

void waitForBackgroundJobs() {
    workers().waitIdle();
}

} // namespace platform
