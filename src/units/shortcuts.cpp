// Design shortcuts: a dictionary from texts to objects on the design, and the constant units kept in it.
#include "mivo_units.h"

#include "nusk/dictionary.h"

namespace {

/// The key of a code's constant unit: "__CONSTANT UNIT " and the code's full name.
NuskStringObject constUnitKey(NuskUnit code) {
    NuskStringObject key("__CONSTANT UNIT ");
    key.cat(nusk_get_unit_fullname(code));
    return key;
}

}  // namespace

void mivo_shortcut_put(NuskDesign* design, const char* key, NuskObject* obj) {
    if (!design || !key) return;
    MivoMgrDesignStatus* status = MivoMgrDesignStatus::make(design);
    if (!status) return;
    if (!status->shortcuts) status->shortcuts = DictionaryOfNuskObject::create(design->system_section());
    if (!status->shortcuts) return;
    if (obj)
        status->shortcuts->put(key, obj);
    else
        status->shortcuts->removeKey(key);
}

NuskObject* mivo_shortcut_find(NuskDesign* design, const char* key) {
    if (!design || !key) return nullptr;
    MivoMgrDesignStatus* status = MivoMgrDesignStatus::find(design);
    if (!status || !status->shortcuts) return nullptr;
    const int index = status->shortcuts->findIndex(key);
    return (*status->shortcuts->listOfValues())[static_cast<unsigned>(index)];
}

void mivo_shortcut_clear_all(NuskDesign* design) {
    MivoMgrDesignStatus* status = MivoMgrDesignStatus::find(design);
    if (!status || !status->shortcuts) return;
    delete status->shortcuts->listOfKeys();
    delete status->shortcuts->listOfValues();
    delete status->shortcuts;
    status->shortcuts = nullptr;
}

NuskObject* mivo_get_const_unit(NuskDesign* design, NuskUnit code) {
    if (code == nuskunit_unknown) return nullptr;
    return mivo_shortcut_find(design, constUnitKey(code));
}

void mivo_put_const_unit(NuskDesign* design, NuskObject* unit, NuskUnit code) {
    if (code == nuskunit_unknown) return;
    mivo_shortcut_put(design, constUnitKey(code), unit);
}
