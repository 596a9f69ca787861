// live_names.cpp - key values, paths and path checks of the live elements.
#include "providers/live_names.h"

#include "providers/live_values.h"
#include "providers/system_reader.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom::live {

Identity currentIdentity() { return {machineName(), kernelNames().system}; }

KeyValues computerSystemKeys(const Identity &identity) {
    return {{L"Name", identity.host}, {L"CreationClassName", std::wstring(computerSystemClass)}};
}

KeyValues operatingSystemKeys(const Identity &identity) {
    return {{L"Name", identity.osName},
            {L"CSCreationClassName", std::wstring(computerSystemClass)},
            {L"CSName", identity.host},
            {L"CreationClassName", std::wstring(operatingSystemClass)}};
}

KeyValues processKeys(const Identity &identity, pid_t pid) {
    return {{L"CSCreationClassName", std::wstring(computerSystemClass)},
            {L"CSName", identity.host},
            {L"OSCreationClassName", std::wstring(operatingSystemClass)},
            {L"OSName", identity.osName},
            {L"CreationClassName", std::wstring(processClass)},
            {L"Handle", std::to_wstring(pid)}};
}

KeyValues fileSystemKeys(const Identity &identity, std::wstring mountPoint) {
    return {{L"Name", std::move(mountPoint)},
            {L"CSCreationClassName", std::wstring(computerSystemClass)},
            {L"CSName", identity.host},
            {L"CreationClassName", std::wstring(fileSystemClass)}};
}

KeyValues objectManagerKeys(const Identity &identity) {
    return {{L"Name", std::wstring(objectManagerName)},
            {L"SystemCreationClassName", std::wstring(computerSystemClass)},
            {L"SystemName", identity.host},
            {L"CreationClassName", std::wstring(objectManagerClass)}};
}

KeyValues namespaceKeys(const Identity &identity, std::wstring nameSpace) {
    return {{L"SystemCreationClassName", std::wstring(computerSystemClass)},
            {L"SystemName", identity.host},
            {L"ObjectManagerCreationClassName", std::wstring(objectManagerClass)},
            {L"ObjectManagerName", std::wstring(objectManagerName)},
            {L"CreationClassName", std::wstring(namespaceClass)},
            {L"Name", std::move(nameSpace)}};
}

KeyValues mechanismKeys(const Identity &identity, std::wstring name) {
    return {{L"Name", std::move(name)},
            {L"SystemCreationClassName", std::wstring(computerSystemClass)},
            {L"SystemName", identity.host},
            {L"CreationClassName", std::wstring(cimxmlMechanismClass)}};
}

KeyValues registeredProfileKeys(std::wstring instanceId) { return {{L"InstanceID", std::move(instanceId)}}; }

cimobj::PathPtr livePath(std::wstring_view className, const KeyValues &keys) {
    cimobj::PathPtr path = makeClassPath(className, {}, {});
    for (const auto &[name, text] : keys) {
        cimobj::StringPtr keyName = ownedText(name);
        cimobj::ValuePtr value = textValue(text);
        cimobj::PropertyPtr key(orThrow(newPropertyKey(keyName.get(), nullptr, value.get())));
        keyName.release();
        value.release();
        appendOwned(&path->mkeys, CIMLIST_PROPERTY, std::move(key));
    }
    return path;
}

std::optional<std::wstring> keyText(const CIMObjectPath &path, std::wstring_view name) {
    for (CIMProperty *key : items<CIMProperty>(path.mkeys)) {
        if (!sameName(textOf(key->name), name)) continue;
        const CIMValue *value = key->value;
        if (isCIMValueNull(value)) return std::nullopt;
        switch (value->type) {
            case CIM_STRING: return std::wstring(textOf(value->data.string));
            case CIM_UINT8: return std::to_wstring(value->data.u8);
            case CIM_UINT16: return std::to_wstring(value->data.u16);
            case CIM_UINT32: return std::to_wstring(value->data.u32);
            case CIM_UINT64: return std::to_wstring(value->data.u64);
            case CIM_SINT8: return std::to_wstring(value->data.s8);
            case CIM_SINT16: return std::to_wstring(value->data.s16);
            case CIM_SINT32: return std::to_wstring(value->data.s32);
            case CIM_SINT64: return std::to_wstring(value->data.s64);
            default: return std::nullopt;
        }
    }
    return std::nullopt;
}

Status matchPath(const CIMObjectPath &path, std::wstring_view className, const KeyValues &expected,
                 std::wstring_view exactKey) {
    if (!sameName(textOf(path.className), className))
        return Status::error(6, cimobj::toUtf8(textOf(path.className)) + " is not " + cimobj::toUtf8(className));
    if (static_cast<std::size_t>(getLength(path.mkeys)) != expected.size())
        return Status::error(4, "a path of " + cimobj::toUtf8(className) + " has " + std::to_string(expected.size()) +
                                    " keys");
    for (const auto &[name, text] : expected) {
        std::optional<std::wstring> given = keyText(path, name);
        if (!given) return Status::error(4, "the path has no key " + cimobj::toUtf8(name));
        if (name == exactKey ? *given != text : !sameName(*given, text))
            return Status::error(6, "no " + cimobj::toUtf8(className) + " has " + cimobj::toUtf8(name) + " \"" +
                                        cimobj::toUtf8(*given) + "\"");
    }
    return Status::success();
}

}  // namespace cimom::live
