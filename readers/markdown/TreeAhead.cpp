// SPDX-License-Identifier: MIT
#include "readers/markdown/TreeAhead.h"

#include <system_error>

namespace Readers::Markdown {

TreeAhead::TreeAhead(size_t count, std::function<std::string(size_t)> piece)
    : count_(count), piece_(std::move(piece)) {
    if (count_ < 2)
        return; // nothing to overlap
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: Next parses each piece itself.
    }
}

TreeAhead::~TreeAhead() {
    if (!worker_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

bool TreeAhead::HasWork() const {
    return stopping_ || !spent_.empty() || (!ready_ && !error_ && parsed_ < count_);
}

void TreeAhead::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return HasWork(); });
        if (!spent_.empty()) {
            std::vector<MarkdownTree> spent = std::move(spent_);
            spent_.clear();
            lock.unlock();
            spent.clear();
            lock.lock();
            continue;
        }
        if (stopping_)
            return;
        const size_t i = parsed_++;
        lock.unlock();
        std::optional<MarkdownTree> tree;
        std::exception_ptr error;
        try {
            tree.emplace(piece_(i));
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        ready_ = std::move(tree);
        error_ = error;
        changed_.notify_all();
    }
}

MarkdownTree TreeAhead::Next() {
    if (!worker_.joinable())
        return MarkdownTree(piece_(taken_++));
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_.has_value() || error_; });
    if (error_)
        std::rethrow_exception(error_);
    MarkdownTree tree = std::move(*ready_);
    ready_.reset();
    ++taken_;
    lock.unlock();
    changed_.notify_all();
    return tree;
}

void TreeAhead::Done(MarkdownTree tree) {
    if (!worker_.joinable())
        return; // freed here, as it goes out of scope
    {
        std::lock_guard lock(mutex_);
        spent_.push_back(std::move(tree));
    }
    changed_.notify_all();
}

} // namespace Readers::Markdown
