// SPDX-License-Identifier: MIT
#pragma once
// Parses the pieces of a long text one ahead of their conversion, on a thread of its own when
// one can be started, and frees there the trees the converter is done with: parsing and freeing
// are a third of reading a book, and need nothing the converter touches.

#include "readers/markdown/MarkdownTree.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Readers::Markdown {

class TreeAhead {
public:
    // `piece(i)` gives the text of piece i; it is called on the worker thread, in order.
    TreeAhead(size_t count, std::function<std::string(size_t)> piece);
    TreeAhead(const TreeAhead&) = delete;
    TreeAhead& operator=(const TreeAhead&) = delete;
    ~TreeAhead();

    // The tree of the next piece; rethrows what parsing it threw.
    MarkdownTree Next();
    // Takes a tree the caller is done with, to free it off the caller's thread.
    void Done(MarkdownTree tree);

private:
    void Run();
    bool HasWork() const;

    const size_t count_;
    const std::function<std::string(size_t)> piece_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t parsed_ = 0; // pieces started by the worker
    size_t taken_ = 0;  // pieces handed out by Next
    std::optional<MarkdownTree> ready_;
    std::exception_ptr error_;
    std::vector<MarkdownTree> spent_;
    bool stopping_ = false;
    std::thread worker_; // last: started once everything it uses exists
};

} // namespace Readers::Markdown
