// The leak checker's suppressions for the peer tests (used in the AddressSanitizer build; an unused function
// elsewhere), built into the program so that they hold under ctest and when it is run by hand.
//
// When the peer gives up on a file (it throws while building a shape from one of the test files), what it had
// reserved for the undefined contents of that read (Interface_UndefinedContent) is not freed: a leak of the
// peer's error path, of a few dozen bytes.
//
// The peer sets itself up once per process, the first time a reader is made: its STEP controllers fill
// process-wide tables of parameters and editors (Interface_Static, IFSelect_Editor) and its document
// application a driver table, and none of it is freed at exit. About 2.9 KB in 137 blocks, the same after one
// read as after twenty (checked with full stacks, fast_unwind_on_malloc=0, which makes the run ten times
// slower). With the default fast unwinding the stacks stop inside the peer's libraries, which are built without
// frame pointers, at its allocator: hence the allocator's name below. Only memory the peer allocates for
// itself matches; our libraries never allocate through it, so their leaks are still reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:Standard_MMgrRaw::Allocate\n"
           "leak:Standard_MMgrRaw::Reallocate\n"
           "leak:IFSelect_Editor::IFSelect_Editor\n"
           "leak:TPrsStd_DriverTable::Get\n"
           "leak:Interface_UndefinedContent::Reservate\n"
           // The same leaks when the stacks are complete:
           "leak:STEPControl_Controller::STEPControl_Controller\n"
           "leak:STEPControl_Controller::Init\n"
           "leak:STEPCAFControl_Controller::Init\n";
}
