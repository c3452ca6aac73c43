#include "main/responsive_link.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tolvaro::program {
namespace {

// One worker thread that runs one call at a time for the UI thread.
class Worker {
public:
    Worker() : thread_([this] { loop(); }) {}

    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Runs `call` on the worker and returns its result; meanwhile pumps the
    // UI thread's events except user input, so windows repaint.
    int run(std::function<int()> call) {
        {
            std::lock_guard lock(mutex_);
            task_ = std::move(call);
            done_ = false;
        }
        wake_.notify_all();
        std::unique_lock lock(mutex_);
        while (!done_) {
            if (QCoreApplication::instance() != nullptr) {
                lock.unlock();
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
                lock.lock();
                finished_.wait_for(lock, std::chrono::milliseconds(5), [this] { return done_; });
            } else {
                finished_.wait(lock, [this] { return done_; });
            }
        }
        return result_;
    }

private:
    void loop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || task_ != nullptr; });
            if (task_ == nullptr) {
                return;
            }
            auto task = std::move(task_);
            task_ = nullptr;
            lock.unlock();
            const int result = task();
            lock.lock();
            result_ = result;
            done_ = true;
            finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::function<int()> task_;
    int result_ = 0;
    bool done_ = true;
    bool stopping_ = false;
    std::thread thread_;
};

class ResponsiveLink final : public device::DeviceLink {
public:
    explicit ResponsiveLink(std::unique_ptr<device::DeviceLink> inner) : inner_(std::move(inner)) {}

    int initLan() override {
        return worker_.run([&] { return inner_->initLan(); });
    }
    int browse(DEVICE_INFO* table, int* count) override {
        return worker_.run([&] { return inner_->browse(table, count); });
    }
    int setCommunity(const char* community) override {
        return worker_.run([&] { return inner_->setCommunity(community); });
    }
    int setSnmpPort(int port) override {
        return worker_.run([&] { return inner_->setSnmpPort(port); });
    }
    int getInfo(const char* ip, int mode, int count, const int* variables,
                MIB_RESPONSE* result) override {
        return worker_.run([&] { return inner_->getInfo(ip, mode, count, variables, result); });
    }
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        return worker_.run([&] { return inner_->setInfo(ip, mode, count, variables, values); });
    }
    int udpSetIp(const DEVICE_INFO* device, int reserved, const char* newIp, const char* newIp2,
                 const char* mask, unsigned char flag) override {
        return worker_.run(
            [&] { return inner_->udpSetIp(device, reserved, newIp, newIp2, mask, flag); });
    }
    int queryFreeIp(const char* network, char* result) override {
        return worker_.run([&] { return inner_->queryFreeIp(network, result); });
    }
    int hardwareAddress(const char* ip, unsigned char* hardware) override {
        return worker_.run([&] { return inner_->hardwareAddress(ip, hardware); });
    }

private:
    std::unique_ptr<device::DeviceLink> inner_;
    // Declared last: joins its thread before `inner_` goes away.
    Worker worker_;
};

} // namespace

std::unique_ptr<device::DeviceLink> makeResponsiveLink(std::unique_ptr<device::DeviceLink> inner) {
    return std::make_unique<ResponsiveLink>(std::move(inner));
}

} // namespace tolvaro::program
