// The highlighting states of lines. Because a block comment can span
// lines, each LineNode stores the state in force at its start
// (kStateNormal, kStateInComment, kStateRecompute); recompute and update
// keep them right.
#pragma once

#include <cstdint>
#include <functional>

#include "model/linenode.hpp"
#include "model/markup.hpp"

// kStateInComment and kStateRecompute stand; anything else is normal.
uint32_t effectiveState(uint32_t state);

// The state of the line after one with the given state and text.
uint32_t nextState(uint32_t state, const char* text, const MarkUpHash* table);

// File order: a closed fold's header is followed by its contents.
LineNode* nextInFileOrder(const LineNode* node);
LineNode* prevInFileOrder(const LineNode* node);

// Sets the state of every line from first on (first gets kStateNormal).
void recompute(LineNode* first, const MarkUpHash* table);
// The line's state, worked out (with those of the lines before it whose
// states are unknown) when it is not known yet.
uint32_t stateOf(LineNode* line, const MarkUpHash* table);

// Recomputes from the changed line on and stops at the first line whose
// stored state already equals the computed one.
void update(LineNode* changed, const MarkUpHash* table);

// Called for each passed line that is on screen: row is its first screen
// row (rows count from 1).
using RepaintRow = std::function<void(int row, LineNode* line)>;
// As update; changed sits at screen row `row`. Each passed line that is on
// screen (row <= rowCount, not inside a closed fold) is handed to repaint;
// the row advances by the rows each such line takes.
void update(LineNode* changed, const MarkUpHash* table, int row, int rowCount,
            const RepaintRow& repaint);
