#pragma once

// Runs a batch of conversions on a pool of threads, with the messages of a one-thread run.

#include <cstddef>
#include <functional>
#include <string>

// Adds `text` to the messages of the conversion running on this thread; outside runBatch it goes
// straight to standard error.
void reportMessage(const std::string& text);

// Runs `step` once the conversion running on this thread has returned and given up its turn:
// for slow waits (a file's sync) that need no picture in memory. Outside runBatch it runs now.
// A false from `step` makes the conversion count as failed.
void afterTurn(std::function<bool()> step);

// Conversions at a time when the user names no number: one more than the processors, since
// each conversion also waits for its file to be written.
int defaultTurns();

// Runs convert(0) .. convert(count - 1) with at most `turns` of them at once (the calls hold the
// pictures: memory stays bounded), on more threads than that, which wait out afterTurn steps
// meanwhile. With `turns` 0, one after another on this thread, each finished before the next. Each
// conversion's messages reach standard error whole and in index order, as soon as every earlier one
// is done: the same text, in the same order, whatever `turns` is. True when every call and step
// returned true.
bool runBatch(std::size_t count, int turns, const std::function<bool(std::size_t)>& convert);
