// Runs every tagging pass and every query of the helper library on a design, whatever the design holds: the
// work of the design fuzzer, and of the tests that replay what it found. Nothing here checks answers; what is
// checked is that the library ends, and that the design it leaves is one that can be written whole.
#pragma once

#include "nusk/store.h"

#include <string>

struct ExerciseReport {
    size_t queries = 0;            // calls made, to show that the walk reached the design's objects
    size_t treeNodes = 0;          // nodes of every product tree listed
    size_t danglingAfterPasses = 0;  // references to objects outside the design when written after the passes
    bool written = false;          // the design could be written after the passes
    size_t messages = 0;           // warnings and errors the passes reported
    size_t danglingInExtracts = 0;  // references to objects outside an extract, when it is written
};

/// Reads, tags, queries, merges and converts the design (it is changed: merges and unit conversion edit it),
/// then writes it.
ExerciseReport exerciseDesign(NuskDesign* design);

/// Reads `text` and, when a design comes out, exercises it.
ExerciseReport exerciseText(const std::string& text);
