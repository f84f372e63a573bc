// Opening a FAT12/FAT16 image: the boot sector checked, every chain walked once, names read;
// files read a piece at a time.
#include "fat/image_reader.h"

#include "base/bytes.h"

#include <algorithm>
#include <cstdio>
#include <deque>

namespace {

constexpr int32_t Unclaimed = -1;
constexpr uint32_t MaxLongNamePieces = 20; // 20 x 13 characters hold the longest name, 255
constexpr uint64_t HeadBytes = 4096;       // read for the boot sector: its largest sector

// What the walk of one image keeps: the entries of the first FAT that belong to clusters, and
// which node claimed each cluster, so that no cluster is visited twice.
struct Walk {
    FatImage* image;
    std::vector<uint8_t> fat;
    std::vector<int32_t> owner;  // by cluster number
    std::deque<int32_t> pending; // directories whose entries are still to be read
};

std::string Number(uint64_t n) {
    return std::to_string(n);
}

// Control characters and bytes above 0x7E as \xNN, so a hostile name prints safely.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// "\DIR\NAME" for a node; "\" for the root.
std::string PathOf(const FatImage& image, int32_t node) {
    std::string path;
    for (int32_t n = node; n > 0; n = image.nodes[n].parent)
        path = "\\" + image.nodes[n].name + path;
    return Printable(path.empty() ? "\\" : path);
}

std::string Kind(const FatNode& node) {
    return node.directory ? "the directory " : "the file ";
}

// Takes cluster for node, or says why it cannot be: outside the FAT, or claimed already.
std::string Claim(Walk& walk, uint32_t cluster, int32_t node) {
    const FatImage& image = *walk.image;
    const FatNode& n = image.nodes[node];
    uint32_t last = image.geometry.clusterCount + 1;
    if (cluster < FirstDataCluster || cluster > last)
        return "the chain of " + Kind(n) + PathOf(image, node) + " runs past the end to cluster " +
               Number(cluster) + " (clusters run from 2 to " + Number(last) + ")";
    int32_t owner = walk.owner[cluster];
    if (owner == Unclaimed) {
        walk.owner[cluster] = node;
        walk.image->nodes[node].clusters.push_back(cluster);
        return "";
    }
    if (owner == node)
        return "the chain of " + Kind(n) + PathOf(image, node) + " loops back to cluster " +
               Number(cluster);
    for (int32_t up = n.parent; up >= 0 && n.directory; up = image.nodes[up].parent)
        if (up == owner)
            return "the directory " + PathOf(image, node) + " contains itself (cluster " +
                   Number(cluster) + " is also " + PathOf(image, owner) + ")";
    return "cluster " + Number(cluster) + " belongs to both " + PathOf(image, owner) + " and " +
           PathOf(image, node);
}

// Claims the clusters that hold a file's size bytes; what lies past them is never read.
std::string WalkFile(Walk& walk, int32_t node, uint32_t first) {
    const FatImage& image = *walk.image;
    const FatGeometry& g = image.geometry;
    uint32_t size = image.nodes[node].size;
    if (size == 0) return "";
    uint64_t dataBytes = uint64_t{g.clusterCount} * g.clusterBytes;
    if (size > dataBytes)
        return "the file " + PathOf(image, node) + " claims " + Number(size) +
               " bytes, more than the image's data area of " + Number(dataBytes);
    if (first == 0)
        return "the file " + PathOf(image, node) + " claims " + Number(size) +
               " bytes but has no cluster";
    uint32_t needed = static_cast<uint32_t>((uint64_t{size} + g.clusterBytes - 1) / g.clusterBytes);
    uint32_t cluster = first;
    for (uint32_t i = 0; i < needed; ++i) {
        std::string problem = Claim(walk, cluster, node);
        if (!problem.empty()) return problem;
        if (i + 1 == needed) break;
        uint32_t next = FatEntryOf(walk.fat.data(), g.fat16, cluster);
        if (next == 0 || IsEndOfChain(next, g.fat16))
            return "the chain of the file " + PathOf(image, node) + " ends after " + Number(i + 1) +
                   " clusters; its size of " + Number(size) + " bytes needs " + Number(needed);
        cluster = next;
    }
    return "";
}

// Claims a subdirectory's clusters up to its chain's end mark.
std::string WalkDirectory(Walk& walk, int32_t node, uint32_t first) {
    const FatImage& image = *walk.image;
    if (first == 0)
        return "the directory " + PathOf(image, node) +
               " starts at cluster 0, which stands for the root: it contains itself";
    for (uint32_t cluster = first;;) {
        std::string problem = Claim(walk, cluster, node);
        if (!problem.empty()) return problem;
        uint32_t next = FatEntryOf(walk.fat.data(), image.geometry.fat16, cluster);
        if (IsEndOfChain(next, image.geometry.fat16)) return "";
        if (next == 0)
            return "the chain of the directory " + PathOf(image, node) +
                   " meets a free cluster after cluster " + Number(cluster);
        cluster = next;
    }
}

// A long name being gathered from its pieces, which precede the short entry they belong to.
struct LongName {
    std::vector<uint16_t> chars;
    uint32_t expected = 0; // ordinal of the next piece; 0 when complete or none
    uint8_t checksum = 0;
    bool active = false;
};

void AddLongNamePiece(LongName& name, const uint8_t* entry) {
    uint32_t ordinal = entry[0] & 0x1F;
    if (entry[0] & LongNameLast) {
        name = LongName();
        if (ordinal == 0 || ordinal > MaxLongNamePieces) return;
        name.chars.assign(ordinal * LongNameChars, 0);
        name.expected = ordinal;
        name.checksum = entry[13];
        name.active = true;
    }
    if (!name.active || ordinal != name.expected || ordinal == 0 || entry[13] != name.checksum) {
        name.active = false;
        return;
    }
    static const uint32_t offsets[LongNameChars] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    for (uint32_t i = 0; i < LongNameChars; ++i)
        name.chars[(ordinal - 1) * LongNameChars + i] = ReadU16(entry + offsets[i]);
    --name.expected;
}

// The gathered long name in Latin-1 when it is whole and belongs to the short name; "" else.
// Characters beyond Latin-1 become '?', which no path can name.
std::string LongNameFor(const LongName& name, const uint8_t* name11) {
    if (!name.active || name.expected != 0 || name.checksum != ShortNameChecksum(name11)) return "";
    std::string out;
    for (uint16_t c : name.chars) {
        if (c == 0) break;
        out += c <= 0xFF ? static_cast<char>(c) : '?';
    }
    return out;
}

std::string ShortNameOf(const uint8_t* entry) {
    std::string base(reinterpret_cast<const char*>(entry), 8);
    std::string extension(reinterpret_cast<const char*>(entry) + 8, 3);
    if (base[0] == 0x05) base[0] = static_cast<char>(EntryDeleted); // a name starting with 0xE5
    base.erase(base.find_last_not_of(' ') + 1);
    extension.erase(extension.find_last_not_of(' ') + 1);
    return extension.empty() ? base : base + "." + extension;
}

// The short name as shown: base or extension in lower case where the entry's flags say so.
std::string CasedShortName(const uint8_t* entry) {
    std::string name = ShortNameOf(entry);
    size_t dot = name.find('.');
    for (size_t i = 0; i < name.size(); ++i) {
        uint8_t flag = dot == std::string::npos || i < dot ? CaseLowerBase : CaseLowerExtension;
        if ((entry[EntryCaseFlags] & flag) && name[i] >= 'A' && name[i] <= 'Z') name[i] += 32;
    }
    return name;
}

bool IsDotEntry(const uint8_t* entry) {
    return entry[0] == '.' && (entry[1] == ' ' || (entry[1] == '.' && entry[2] == ' '));
}

// A name that no path component can be: empty, "." or ".." outside a directory's own two
// entries, or holding a control character or a path separator.
bool IsHostileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return true;
    for (unsigned char c : name)
        if (c < 0x20 || c == '/' || c == '\\') return true;
    return false;
}

// Adds the entries of directory dir (its bytes, 32 per entry) as its children; files' chains
// are walked at once, subdirectories' chains too and their entries queued.
std::string ReadEntries(Walk& walk, int32_t dir, const std::vector<uint8_t>& bytes) {
    FatImage& image = *walk.image;
    LongName longName;
    for (size_t at = 0; at + DirectoryEntrySize <= bytes.size(); at += DirectoryEntrySize) {
        const uint8_t* entry = bytes.data() + at;
        if (entry[0] == 0) break; // no entry follows
        uint8_t attributes = entry[EntryAttributes];
        if (entry[0] == EntryDeleted) {
            longName.active = false;
        } else if ((attributes & 0x3F) == AttrLongName) {
            AddLongNamePiece(longName, entry);
        } else if (attributes & AttrVolumeLabel) {
            if (dir == 0 && image.label.empty())
                image.label.assign(reinterpret_cast<const char*>(entry), 11);
            longName.active = false;
        } else if (dir != 0 && IsDotEntry(entry)) {
            longName.active = false;
        } else {
            if (image.nodes.size() > MaxFatNodes)
                return "the image lists more than " + Number(MaxFatNodes) +
                       " files and directories";
            FatNode node;
            node.shortName = ShortNameOf(entry);
            node.name = LongNameFor(longName, entry);
            longName.active = false;
            if (node.name.empty()) node.name = CasedShortName(entry);
            node.directory = (attributes & AttrDirectory) != 0;
            node.size = node.directory ? 0 : ReadU32(entry + EntrySize);
            node.parent = dir;
            auto index = static_cast<int32_t>(image.nodes.size());
            bool hostile = IsHostileName(node.name) || IsHostileName(node.shortName);
            image.nodes.push_back(node);
            image.nodes[dir].children.push_back(index);
            if (hostile)
                return "the directory " + PathOf(image, dir) + " lists an entry named \"" +
                       Printable(image.nodes[index].name) + "\", which no file can bear";
            uint32_t first = ReadU16(entry + EntryFirstCluster);
            std::string problem =
                node.directory ? WalkDirectory(walk, index, first) : WalkFile(walk, index, first);
            if (!problem.empty()) return problem;
            if (node.directory) walk.pending.push_back(index);
        }
    }
    return "";
}

uint64_t ClusterOffset(const FatGeometry& g, uint32_t cluster) {
    return (g.dataSector + uint64_t{cluster - FirstDataCluster} * g.sectorsPerCluster) *
           g.bytesPerSector;
}

// Reads count bytes at offset into *bytes, or says where the image cannot be read.
std::string ReadImage(const FatImage& image, uint64_t offset, uint64_t count,
                      std::vector<uint8_t>* bytes) {
    bytes->resize(count);
    if (image.read(offset, bytes->data(), count)) return "";
    return "the image cannot be read (" + Number(count) + " bytes at offset " + Number(offset) +
           ")";
}

// The bytes of the root directory, or of a subdirectory's clusters in order.
std::string DirectoryBytes(const FatImage& image, int32_t dir, std::vector<uint8_t>* bytes) {
    const FatGeometry& g = image.geometry;
    if (dir == 0)
        return ReadImage(image, uint64_t{g.rootSector} * g.bytesPerSector,
                         uint64_t{g.rootEntries} * DirectoryEntrySize, bytes);
    bytes->clear();
    std::vector<uint8_t> cluster;
    for (uint32_t number : image.nodes[dir].clusters) {
        std::string problem = ReadImage(image, ClusterOffset(g, number), g.clusterBytes, &cluster);
        if (!problem.empty()) return problem;
        bytes->insert(bytes->end(), cluster.begin(), cluster.end());
    }
    return "";
}

// The FAT entries of the data clusters (and the two reserved ones), from the first FAT.
std::string ReadFat(const FatImage& image, std::vector<uint8_t>* fat) {
    const FatGeometry& g = image.geometry;
    uint64_t entries = uint64_t{g.clusterCount} + FirstDataCluster;
    uint64_t bytes = g.fat16 ? entries * 2 : (entries * 3 + 1) / 2;
    return ReadImage(image, uint64_t{g.reservedSectors} * g.bytesPerSector, bytes, fat);
}

// Latin-1 letters in upper case; the rest as they are.
unsigned char Fold(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    return c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::shared_ptr<const FatImage> OpenFatImage(FatImageReader read, uint64_t size,
                                             std::string* problem) {
    auto image = std::make_shared<FatImage>();
    image->read = std::move(read);
    image->size = size;
    std::vector<uint8_t> head;
    *problem = ReadImage(*image, 0, std::min(size, HeadBytes), &head);
    if (problem->empty())
        *problem = ReadBootSector(head.data(), head.size(), size, &image->geometry);
    if (!problem->empty()) return nullptr;
    const FatGeometry& g = image->geometry;
    Walk walk{
        image.get(), {}, std::vector<int32_t>(g.clusterCount + FirstDataCluster, Unclaimed), {}};
    *problem = ReadFat(*image, &walk.fat);
    FatNode root;
    root.directory = true;
    image->nodes.push_back(root);
    std::vector<uint8_t> entries;
    if (problem->empty()) *problem = DirectoryBytes(*image, 0, &entries);
    if (problem->empty()) *problem = ReadEntries(walk, 0, entries);
    while (problem->empty() && !walk.pending.empty()) {
        int32_t dir = walk.pending.front();
        walk.pending.pop_front();
        *problem = DirectoryBytes(*image, dir, &entries);
        if (problem->empty()) *problem = ReadEntries(walk, dir, entries);
    }
    if (!problem->empty()) return nullptr;
    image->label.erase(image->label.find_last_not_of(' ') + 1);
    return image;
}

std::shared_ptr<const FatImage> OpenFatImage(std::vector<uint8_t> bytes, std::string* problem) {
    auto held = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    auto read = [held](uint64_t offset, uint8_t* out, size_t count) {
        if (offset > held->size() || count > held->size() - offset) return false;
        std::copy_n(held->data() + offset, count, out);
        return true;
    };
    return OpenFatImage(read, held->size(), problem);
}

int32_t FindFatNode(const FatImage& image, const std::vector<std::string>& parts) {
    int32_t at = 0;
    for (const std::string& part : parts) {
        int32_t found = -1;
        for (int32_t child : image.nodes[at].children) {
            const FatNode& node = image.nodes[child];
            if (SameName(node.name, part) || SameName(node.shortName, part)) {
                found = child;
                break;
            }
        }
        if (found < 0 || (!image.nodes[found].directory && &part != &parts.back())) return -1;
        at = found;
    }
    return at;
}

int64_t ReadFatFileAt(const FatImage& image, int32_t node, uint64_t offset, uint8_t* out,
                      uint32_t count) {
    const FatNode& file = image.nodes[node];
    if (file.directory || offset >= file.size) return 0;
    uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(count, file.size - offset));
    uint32_t clusterBytes = image.geometry.clusterBytes;
    for (uint32_t done = 0; done < want;) {
        uint64_t at = offset + done;
        uint32_t within = static_cast<uint32_t>(at % clusterBytes);
        uint32_t take = std::min(clusterBytes - within, want - done);
        uint32_t cluster = file.clusters[at / clusterBytes];
        if (!image.read(ClusterOffset(image.geometry, cluster) + within, out + done, take))
            return -1;
        done += take;
    }
    return want;
}

std::vector<uint8_t> ReadFatFile(const FatImage& image, int32_t node) {
    const FatNode& file = image.nodes[node];
    std::vector<uint8_t> out(file.directory ? 0 : file.size);
    int64_t read = ReadFatFileAt(image, node, 0, out.data(), static_cast<uint32_t>(out.size()));
    out.resize(read < 0 ? 0 : static_cast<size_t>(read));
    return out;
}
