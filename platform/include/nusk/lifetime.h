// Object lifetime: marks, reference counts, the trash and substitutes.
#pragma once

#include <cstdint>

class NuskDesign;
class NuskObject;

// ---- marks ----
// A mark pass is a set of objects marked while it is open. Passes nest: the calls work on the pass opened
// last, and closing it brings back the one before. Marks live outside the objects, so any number of passes
// cost nothing when closed.

/// Opens a mark pass.
void nusk_mark_begin();
/// Marks the object in the open pass (`pass` is reserved, 0). A null object is ignored.
void nusk_mark_set(const NuskObject* obj, int pass = 0);
/// Non-zero when the object is marked in the open pass. A null object is never marked.
int nusk_is_marked(const NuskObject* obj, int pass = 0);
/// Closes the pass opened last.
void nusk_mark_end(int pass = 0);

// ---- reference counts ----
// Objects read from a file start with the number of references the file makes to them; the creating code of
// an application counts the references it makes with nusk_refcount_inc. Counts saturate at 2^24 - 1, and a
// saturated count no longer changes.

/// The object's reference count; for a design, 1 when it counts references (every design but the trash).
uint32_t nusk_refcount(const NuskObject* obj);
uint32_t nusk_refcount_inc(NuskObject* obj);
/// Decrements (not below 0) and returns the remaining count.
uint32_t nusk_refcount_dec(NuskObject* obj);

// ---- deletion and substitutes ----

/// Deletes an object: moves it into the trash design. Returns 1 when moved.
int nusk_move_to_trash(NuskObject* obj);
/// Records that `replacement` stands for `old` from now on (the store's own manager of type 3 on `old`).
void nusk_register_substitute(NuskObject* old, NuskObject* replacement);
/// The final substitute of an object (following chains of substitutes), or the object itself.
NuskObject* nusk_expand_substitutes(NuskObject* obj);
/// Redirects every reference held by the objects of the design (attributes, select values, aggregate
/// elements) to an object with a substitute, to its final substitute. Returns the number of references changed.
/// A SET in which two members now stand for the same object keeps the first of them (a SET holds no value
/// twice): a merge of two units a context lists leaves the context's set with the survivor once.
uint32_t nusk_update_object_references(NuskDesign* design);
