// file_system_provider.cpp - mounted file systems from /proc/self/mounts and statvfs.
#include "providers/file_system_provider.h"

#include "providers/live_values.h"
#include "providers/mount_reader.h"
#include "providers/proc_files.h"

namespace cimom::live {

namespace {

constexpr unsigned measured = 1;  // needs statvfs

// A byte count from statvfs, null when the mount could not be measured.
cimobj::ValuePtr bytes(const MountFacts &m, std::uint64_t count) { return m.measured ? uint64Value(count) : nullptr; }

std::uint16_t persistenceOf(const MountFacts &m) {
    if (m.type == "tmpfs" || m.type == "ramfs" || m.type == "devtmpfs") return 3;  // Temporary
    if (m.source.starts_with("/dev/")) return 2;                                   // Persistent
    return 0;                                                                      // Unknown
}

using P = LiveProperty<MountFacts>;
const P fileSystemProperties[] = {
    {L"Root", [](const Identity &, const MountFacts &m) { return kernelTextValue(m.mountPoint); }},
    {L"FileSystemType", [](const Identity &, const MountFacts &m) { return kernelTextValue(m.type); }},
    {L"MountSource", [](const Identity &, const MountFacts &m) { return kernelTextValue(m.source); }},
    {L"MountOptions", [](const Identity &, const MountFacts &m) { return kernelTextArray(m.options); }},
    {L"ReadOnly", [](const Identity &, const MountFacts &m) { return booleanValue(m.readOnly()); }},
    {L"PersistenceType", [](const Identity &, const MountFacts &m) { return uint16Value(persistenceOf(m)); }},
    {L"BlockSize", [](const Identity &, const MountFacts &m) { return bytes(m, m.blockSize); }, measured},
    {L"FileSystemSize", [](const Identity &, const MountFacts &m) { return bytes(m, m.blocks * m.fragmentSize); },
     measured},
    {L"AvailableSpace",
     [](const Identity &, const MountFacts &m) { return bytes(m, m.availableBlocks * m.fragmentSize); }, measured},
    {L"FSReservedCapacity",
     [](const Identity &, const MountFacts &m) {
         std::uint64_t reserved = m.freeBlocks > m.availableBlocks ? m.freeBlocks - m.availableBlocks : 0;
         return bytes(m, reserved * m.fragmentSize);
     },
     measured},
    {L"TotalInodes", [](const Identity &, const MountFacts &m) { return m.measured ? uint64Value(m.files) : nullptr; },
     measured},
    {L"FreeInodes",
     [](const Identity &, const MountFacts &m) { return m.measured ? uint64Value(m.freeFiles) : nullptr; }, measured},
    {L"NumberOfFiles",
     [](const Identity &, const MountFacts &m) {
         return m.measured && m.files >= m.freeFiles ? uint64Value(m.files - m.freeFiles) : nullptr;
     },
     measured},
    {L"MaxFileNameLength",
     [](const Identity &, const MountFacts &m) {
         return m.measured ? uint32Value(static_cast<std::uint32_t>(m.nameLength)) : nullptr;
     },
     measured},
};

class FileSystemProvider : public LiveProvider<MountFacts> {
protected:
    std::wstring_view className() const override { return fileSystemClass; }
    std::span<const Property> properties() const override { return fileSystemProperties; }
    KeyValues keys(const Identity &identity, const MountFacts &m) const override {
        return fileSystemKeys(identity, kernelText(m.mountPoint));
    }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned needs, MountFacts &facts) override {
        std::wstring name = keyText(path, L"Name").value_or(L"");
        Status status = matchPath(path, fileSystemClass, fileSystemKeys(identity, name), L"Name");
        if (!status.ok()) return status;
        for (MountFacts &mount : readMounts()) {
            if (kernelText(mount.mountPoint) != name) continue;
            facts = std::move(mount);
            if (needs & measured) measureMount(facts);
            return status;
        }
        return Status::error(6, "nothing is mounted at " + cimobj::toUtf8(name));
    }

    void forEach(const Identity &, unsigned needs, const std::function<void(const MountFacts &)> &each) override {
        for (MountFacts &mount : readMounts()) {
            if (needs & measured) measureMount(mount);
            each(mount);
        }
    }
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeFileSystemProvider() { return std::make_shared<FileSystemProvider>(); }

}  // namespace cimom::live
