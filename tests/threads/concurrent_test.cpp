// Different designs on different threads at once: every process-wide table (the schemas, the type handles,
// the manager ids, the Part 21 name tables, the unit name buffer...) is made and read by several threads
// together, and each thread's results are the same as a single-threaded run's. Each test runs in a fresh
// process (ctest), so the threads are also the first users of every lazily made table. Run it under
// ThreadSanitizer (-DMIVO_TSAN=ON) to check that nothing races.
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/memory.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr int kThreads = 4;

/// Runs `work(t)` for t from 0 to kThreads - 1, each on a thread of its own, all at once; returns when all are done.
void onEveryThread(const std::function<void(int)>& work) {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
    for (std::thread& th : threads) th.join();
}

/// The AP242 dictionary's domains of that kind, in the order they were made.
std::vector<NuskDomain*> ap242DomainsOfKind(NuskDomainKind kind) {
    std::vector<NuskDomain*> found;
    for (NuskDomain* d : nusk_ap242_schema()->domainList())
        if (d->kind() == kind) found.push_back(d);
    return found;
}

/// The k-th of `items` in the order thread t walks them: forwards on even threads, backwards on odd ones, so that
/// the threads meet on the way.
template <class T>
T walkedBy(int t, const std::vector<T>& items, size_t k) {
    return items[t % 2 ? items.size() - 1 - k : k];
}

/// What a thread finds in one design: its instances, what it writes, and the units tagging identified.
struct Summary {
    size_t instances = 0;  // entity instances, by a cursor over the design
    std::string written;   // the Part 21 text of the design
    // (entity number, code, kind of quantity, full name) of every unit entity, in walking order
    std::vector<std::tuple<uint32_t, int, int, std::string>> units;
    std::string problem;  // empty when all went well
};

bool operator==(const Summary& a, const Summary& b) {
    return a.instances == b.instances && a.written == b.written && a.units == b.units && a.problem == b.problem;
}

/// Counts, tags, names the units and writes: what every thread does with its designs.
void summarise(NuskDesign* design, Summary& s) {
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* obj = cursor.next())
        if (obj->entity_id()) ++s.instances;
    mivo_tag_units(design);
    for (NuskTypePtr* type : {static_cast<NuskTypePtr*>(&nusktype_stp_named_unit),
                              static_cast<NuskTypePtr*>(&nusktype_stp_derived_unit)}) {
        cursor.domain(*type);
        while (NuskObject* obj = cursor.next()) {
            const MivoMgrUnit* m = MivoMgrUnit::find(obj);
            const char* name = obj->isa(nusktype_stp_named_unit)
                                   ? mivo_get_unit_fullname(static_cast<stp_named_unit*>(nusk_cast(obj, nusktype_stp_named_unit)))
                                   : mivo_get_unit_fullname(nusk_cast(obj, nusktype_stp_derived_unit));
            s.units.emplace_back(obj->entity_id(), m ? m->unit : -1, m ? m->measure_type : -1, name ? name : "(null)");
        }
    }
    const NuskWriteResult w = nusk_write_step_text(design, s.written);
    if (!w.ok) s.problem = "write failed: " + w.error;
}

// ---- real files ----

std::vector<std::string> dataFiles() {
    std::vector<std::string> files;
    const std::string dir = MIVO_DATA_DIR;
    if (!std::filesystem::is_directory(dir)) return files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".stp" || ext == ".step")) files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

/// `threads`: what the read may use (the first round has each read split in two, so that eight threads read at once).
Summary readAndSummarise(const std::string& file, unsigned threads) {
    Summary s;
    NuskReadOptions options;
    options.schema = nusk_ap242_schema();  // on first use, built by one of the threads while the others wait
    options.threads = threads;
    NuskReadResult r = nusk_read_step(file.c_str(), options);
    std::unique_ptr<NuskDesign> design(r.design);
    if (!design) {
        s.problem = "unreadable";
        return s;
    }
    if (r.instanceCount == 0) s.problem = "no instances";
    summarise(design.get(), s);
    return s;
}

TEST(Threads, RealFilesReadTaggedAndWrittenOnFourThreadsAsOnOne) {
    const std::vector<std::string> files = dataFiles();
    if (files.empty()) GTEST_SKIP() << "no test data found at " << MIVO_DATA_DIR;
    // Two rounds; in each, file i goes to thread (i + round) % 4, so that every file is read twice, by two
    // threads, while the other threads read other files. Nothing is made beforehand: the threads are the
    // first to need the schema and every table.
    constexpr int kRounds = 2;
    std::vector<std::vector<Summary>> concurrent(kRounds, std::vector<Summary>(files.size()));
    // Object memory is backed ahead on a thread of its own meanwhile, and taken by the reads as it comes.
    NuskMemoryAhead ahead(size_t(24) << 20);
    onEveryThread([&](int t) {
        for (int round = 0; round < kRounds; ++round)
            for (size_t i = 0; i < files.size(); ++i)
                if (static_cast<int>((i + static_cast<size_t>(round)) % kThreads) == t)
                    concurrent[static_cast<size_t>(round)][i] = readAndSummarise(files[i], round == 0 ? 2 : 0);
    });
    ahead.finish();

    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        const Summary alone = readAndSummarise(files[i], 1);
        EXPECT_EQ(alone.problem, "");
        EXPECT_GT(alone.instances, 100u);
        EXPECT_FALSE(alone.units.empty());
        for (int round = 0; round < kRounds; ++round) {
            const Summary& s = concurrent[static_cast<size_t>(round)][i];
            EXPECT_EQ(s.problem, alone.problem) << "round " << round;
            EXPECT_EQ(s.instances, alone.instances) << "round " << round;
            EXPECT_EQ(s.units, alone.units) << "round " << round;
            EXPECT_TRUE(s.written == alone.written) << "round " << round << ": the written text differs";
        }
    }
}

// ---- designs made in memory ----

/// Builds a design with the unit makers, tags it, writes it, reads the text back and tags that too. `seed`
/// varies the hand-made SI unit, whose name is built in the unit name buffer.
struct Built {
    Summary made;
    Summary readBack;
    std::vector<std::string> siNames;  // names of the hand-made SI unit, asked for many times
};

Built buildInMemory(int seed) {
    Built b;
    NuskDesign design("threads", nusk_ap242_schema());
    design.header().timeStamp = "2024-01-01T00:00:00";  // the same bytes on every thread
    for (int code = nuskunit_unknown; code <= NUSK_UNIT_MAX + 1; ++code) mivo_make_unit(&design, static_cast<NuskUnit>(code));
    mivo_make_si_unit(&design, nuskunit_mm, stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_derived_unit* speed = mivo_make_derived_unit_base(&design, nuskunit_mm_per_s);
    mivo_add_derived_unit_term(speed, nuskunit_mm, 1.0);
    mivo_add_derived_unit_term(speed, nuskunit_s, -1.0);
    // An SI unit no code stands for: its name is built from its name and prefix, in the calling thread's
    // buffer, which other threads must not overwrite meanwhile.
    static const stp_si_prefix kPrefixes[kThreads] = {stp_si_prefix_kilo, stp_si_prefix_milli, stp_si_prefix_mega,
                                                      stp_si_prefix_micro};
    auto* gram = new (&design) stp_si_unit();
    gram->name(stp_si_unit_name_gram);
    gram->prefix(kPrefixes[seed % kThreads]);
    mivo_tag_units(&design);
    for (int i = 0; i < 200; ++i) b.siNames.push_back(mivo_get_unit_fullname(gram));
    summarise(&design, b.made);

    NuskReadOptions options;
    options.schema = nusk_ap242_schema();
    NuskReadResult r = nusk_read_step_text(b.made.written.data(), b.made.written.size(), options);
    std::unique_ptr<NuskDesign> back(r.design);
    if (!back || r.status != NuskReadStatus::ok) {
        b.readBack.problem = "the written text does not read back cleanly";
        return b;
    }
    summarise(back.get(), b.readBack);
    return b;
}

TEST(Threads, DesignsMadeInMemoryOnFourThreadsAsOnOne) {
    std::vector<Built> results(kThreads);
    onEveryThread([&results](int t) { results[static_cast<size_t>(t)] = buildInMemory(t); });

    const char* const kExpectedNames[kThreads] = {"kilogram", "milligram", "megagram", "microgram"};
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE("thread " + std::to_string(t));
        const Built& b = results[static_cast<size_t>(t)];
        const Built alone = buildInMemory(t);
        EXPECT_EQ(b.made.problem, "");
        EXPECT_EQ(b.readBack.problem, "");
        EXPECT_GT(b.made.units.size(), 40u);
        EXPECT_TRUE(b.made == alone.made);
        EXPECT_TRUE(b.readBack == alone.readBack);
        // What was made reads back the same: the same instances, units and text.
        EXPECT_EQ(b.readBack.instances, b.made.instances);
        EXPECT_EQ(b.readBack.units, b.made.units);
        EXPECT_TRUE(b.readBack.written == b.made.written);
        for (const std::string& name : b.siNames) EXPECT_EQ(name, kExpectedNames[t]);
    }
    // Apart from the hand-made SI unit, every thread made the same design.
    for (int t = 1; t < kThreads; ++t) {
        EXPECT_EQ(results[static_cast<size_t>(t)].made.instances, results[0].made.instances);
        EXPECT_EQ(results[static_cast<size_t>(t)].made.units.size(), results[0].made.units.size());
    }
}

/// Complex and aggregate domains formed at run time, by several threads at once, are formed once.
TEST(Threads, ComplexDomainsFormedConcurrentlyAreOne) {
    NuskSchema* schema = nusk_ap242_schema();
    // A combination that no generated class covers: formed on first use.
    const std::vector<NuskDomain*> types = {schema->findDomain("context_dependent_unit"),
                                            schema->findDomain("length_unit")};
    std::vector<NuskDomain*> found(kThreads);
    std::vector<NuskDomain*> aggregates(kThreads);
    onEveryThread([&](int t) {
        NuskDesign design("complex", schema);
        found[static_cast<size_t>(t)] = design.findComplexDomain(types);
        aggregates[static_cast<size_t>(t)] =
            NuskSchema::aggregateOf(NuskAggregateKind::bag, schema->findDomain("dimensional_exponents"));
        for (NuskDomain* d : {found[static_cast<size_t>(t)], aggregates[static_cast<size_t>(t)]})
            if (d) (void)d->attributes()->size(), (void)d->typeSuperTypes()->size();
    });
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_NE(found[static_cast<size_t>(t)], nullptr);
        EXPECT_EQ(found[static_cast<size_t>(t)], found[0]);
        EXPECT_NE(aggregates[static_cast<size_t>(t)], nullptr);
        EXPECT_EQ(aggregates[static_cast<size_t>(t)], aggregates[0]);
    }
    EXPECT_EQ(schema->findDomain(found[0]->name()), found[0]);
}

/// Entity types are laid out on their first use: four threads that use every type at once see each laid out
/// once, in the same slots, each supertype's block before its subtype's.
TEST(Threads, EntityTypesFirstUsedOnFourThreadsAtOnceAreLaidOutOnce) {
    const std::vector<NuskDomain*> entities = ap242DomainsOfKind(NuskDomainKind::entity);
    ASSERT_GT(entities.size(), 2000u);
    std::vector<std::vector<size_t>> counts(kThreads);
    onEveryThread([&](int t) {
        for (size_t k = 0; k < entities.size(); ++k) {
            NuskDomain* d = walkedBy(t, entities, k);
            size_t derived = 0;
            for (unsigned i = 0; i < d->slotAttributes().size(); ++i) derived += d->slotIsDerived(i) ? 1 : 0;
            counts[static_cast<size_t>(t)].push_back(d->slotAttributes().size() * 1000 + derived);
        }
    });
    for (int t = 1; t < kThreads; ++t) {
        std::vector<size_t> mine = counts[static_cast<size_t>(t)];
        if (t % 2) std::reverse(mine.begin(), mine.end());
        EXPECT_EQ(mine, counts[0]) << "thread " << t;
    }
    for (NuskDomain* d : entities) {
        size_t start = 0;  // the blocks follow one another in the order of the closure
        for (NuskDomain* e : d->entityClosure()) {
            ASSERT_EQ(d->blockStart(e), static_cast<int>(start)) << d->name() << ", block of " << e->name();
            start += e->ownAttributes().size();
        }
        ASSERT_EQ(d->slotAttributes().size(), start) << d->name();
    }
}

/// A select's value attributes are made on its first use: four threads that ask for them at once, through each
/// way there is to ask, see one attribute per alternative, the same on every thread.
TEST(Threads, SelectValueAttributesFirstAskedForOnFourThreadsAtOnceAreMadeOnce) {
    const std::vector<NuskDomain*> selects = ap242DomainsOfKind(NuskDomainKind::select);
    ASSERT_GT(selects.size(), 200u);
    std::vector<std::vector<const NuskAttribute*>> seen(kThreads);
    onEveryThread([&](int t) {
        for (size_t k = 0; k < selects.size(); ++k) {
            NuskDomain* d = walkedBy(t, selects, k);
            // The list of attributes is made under the schema's lock; the others ask without it.
            if (t < 2) (void)d->attributes()->size();
            const std::vector<NuskAttribute*>& atts = t == 1 ? d->ownAttributes() : d->slotAttributes();
            seen[static_cast<size_t>(t)].insert(seen[static_cast<size_t>(t)].end(), atts.begin(), atts.end());
        }
    });
    std::vector<const NuskAttribute*> first = seen[0];
    std::sort(first.begin(), first.end());
    for (int t = 1; t < kThreads; ++t) {
        std::vector<const NuskAttribute*> mine = seen[static_cast<size_t>(t)];
        std::sort(mine.begin(), mine.end());
        EXPECT_EQ(mine, first) << "thread " << t;
    }
    for (NuskDomain* d : selects) {
        ASSERT_EQ(d->slotAttributes().size(), d->alternatives().size()) << d->name();
        for (size_t i = 0; i < d->alternatives().size(); ++i)
            EXPECT_EQ(d->slotAttributes()[i]->valueDomain(), d->alternatives()[i]) << d->name();
    }
}

}  // namespace
