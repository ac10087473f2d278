// The Storage and Stream objects over the in-memory tree, class identifiers and the format's
// name order. Reading and writing the file are in compound_file_reader.cpp and
// compound_file_writer.cpp.
#include "platform/compound_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#include "platform/compound_file_internal.h"

namespace tabrix::platform {
namespace cfb {

char16_t upcase(char16_t c) {
    const auto u = static_cast<uint32_t>(c);
    auto down = [](uint32_t v, uint32_t by) { return static_cast<char16_t>(v - by); };
    if (u < 0x80) return (u >= 'a' && u <= 'z') ? down(u, 32) : c;
    // Latin-1
    if (u >= 0xE0 && u <= 0xFE) return u == 0xF7 ? c : down(u, 32);
    if (u == 0xFF) return u'\u0178';
    // Latin Extended-A: pairs of upper (even) and lower (odd), with two runs the other way.
    if (u >= 0x100 && u <= 0x17F) {
        if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
            return (u % 2 == 0) ? down(u, 1) : c;
        if (u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F || u == 0x130) return c;
        return (u % 2 == 1) ? down(u, 1) : c;
    }
    // Greek
    if (u >= 0x3B1 && u <= 0x3CB) return u == 0x3C2 ? u'\u03A3' : down(u, 32);
    if (u == 0x3AC) return u'\u0386';
    if (u >= 0x3AD && u <= 0x3AF) return down(u, 37);
    if (u == 0x3CC) return u'\u038C';
    if (u == 0x3CD || u == 0x3CE) return down(u, 63);
    // Cyrillic
    if (u >= 0x430 && u <= 0x44F) return down(u, 32);
    if (u >= 0x450 && u <= 0x45F) return down(u, 80);
    if ((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF))
        return (u % 2 == 1) ? down(u, 1) : c;
    // Latin Extended Additional
    if (u >= 0x1E00 && u <= 0x1E95) return (u % 2 == 1) ? down(u, 1) : c;
    if (u >= 0x1EA0 && u <= 0x1EFF) return (u % 2 == 1) ? down(u, 1) : c;
    // Full-width Latin
    if (u >= 0xFF41 && u <= 0xFF5A) return down(u, 32);
    return c;
}

int compare_names(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t x = upcase(a[i]);
        const char16_t y = upcase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

bool is_valid_name(std::u16string_view name) {
    if (name.empty() || name.size() > 31) return false;
    for (const char16_t c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!' || c == 0) return false;
    }
    return true;
}

bool is_lookup_name(std::u16string_view name) {
    return !name.empty() && name.size() <= 31 && name.find(u'\0') == std::u16string_view::npos;
}

size_t find_child(const Node &storage, std::u16string_view name, bool *found) {
    const auto &kids = storage.children;
    const auto it = std::lower_bound(kids.begin(), kids.end(), name,
                                     [](const std::unique_ptr<Node> &n, std::u16string_view v) {
                                         return compare_names(n->name, v) < 0;
                                     });
    *found = it != kids.end() && compare_names((*it)->name, name) == 0;
    return static_cast<size_t>(it - kids.begin());
}

}  // namespace cfb

using cfb::Node;

// ---- class identifiers -------------------------------------------------------------------

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<ClassId> ClassId::from_string(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36) return std::nullopt;
    // Hex digits of the five groups, in the order written.
    uint8_t digits[16];
    size_t count = 0;
    for (size_t i = 0; i < 36; ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        const int high = hex_value(text[i]);
        const int low = i + 1 < 36 ? hex_value(text[i + 1]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        digits[count++] = static_cast<uint8_t>(high << 4 | low);
        ++i;
    }
    if (count != 16) return std::nullopt;
    ClassId id;
    // Data1 (4 bytes), Data2 and Data3 (2 bytes each) are stored little-endian.
    static constexpr uint8_t kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < 16; ++i) id.bytes[i] = digits[kOrder[i]];
    return id;
}

std::string ClassId::to_string() const {
    static constexpr uint8_t kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "{";
    for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        const uint8_t b = bytes[kOrder[i]];
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    out += '}';
    return out;
}

// Runs the producer at once, its bytes written through the stream in place of its content.
StorageStatus Stream::produce(uint64_t size, StreamProducer produce) {
    class Through final : public ByteSink {
      public:
        explicit Through(Stream &stream) : stream_(stream) {}
        bool write(const void *data, size_t n) override {
            if (!ok_) return false;
            const size_t done = stream_.write(data, n);
            written_ += done;
            ok_ = done == n;
            return ok_;
        }
        uint64_t written() const { return written_; }

      private:
        Stream &stream_;
        uint64_t written_ = 0;
        bool ok_ = true;
    };
    if (set_size(0) != StorageStatus::ok || !seek(0, SeekOrigin::begin) ||
        reserve(size) != StorageStatus::ok) {
        return StorageStatus::io_error;
    }
    Through sink(*this);
    return produce(sink) && sink.written() == size ? StorageStatus::ok : StorageStatus::io_error;
}

// ---- the objects over the tree -----------------------------------------------------------

namespace {

struct Context {
    bool writable = false;
};

void set(StorageStatus *status, StorageStatus value) {
    if (status) *status = value;
}

class StreamImpl final : public Stream {
  public:
    StreamImpl(Node *node, const Context *context) : node_(node), context_(context) {}

    size_t read(void *buffer, size_t n) override {
        const auto &data = node_->data;  // empty while a producer stands for the content
        if (n == 0 || position_ >= data.size()) return 0;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(n, data.size() - position_));
        std::memcpy(buffer, data.data() + position_, count);
        position_ += count;
        return count;
    }

    std::optional<std::span<const uint8_t>> contents() const override {
        if (node_->producer) return std::nullopt;
        return std::span<const uint8_t>(node_->data);
    }

    size_t write(const void *bytes, size_t n) override {
        if (!context_->writable || n == 0 || position_ >= cfb::kMaxStreamSize) return 0;
        node_->drop_producer();
        const size_t count =
            static_cast<size_t>(std::min<uint64_t>(n, cfb::kMaxStreamSize - position_));
        auto &data = node_->data;
        const uint64_t end = position_ + count;
        try {
            if (end > data.size()) data.resize(static_cast<size_t>(end));
        } catch (const std::exception &) {
            return 0;
        }
        std::memcpy(data.data() + position_, bytes, count);
        position_ = end;
        return count;
    }

    bool seek(int64_t offset, SeekOrigin origin) override {
        uint64_t base = 0;
        if (origin == SeekOrigin::current) base = position_;
        if (origin == SeekOrigin::end) base = node_->stream_size();
        if (offset < 0) {
            const uint64_t back = static_cast<uint64_t>(-(offset + 1)) + 1;
            if (back > base) return false;
            position_ = base - back;
        } else {
            const auto forward = static_cast<uint64_t>(offset);
            if (forward > UINT64_MAX - base) return false;
            position_ = base + forward;
        }
        return true;
    }

    uint64_t position() const override { return position_; }
    uint64_t size() const override { return node_->stream_size(); }

    StorageStatus reserve(uint64_t size) override {
        if (!context_->writable) return StorageStatus::access_denied;
        if (size > cfb::kMaxStreamSize) return StorageStatus::io_error;
        try {
            node_->data.reserve(static_cast<size_t>(size));
        } catch (const std::exception &) {
            return StorageStatus::io_error;
        }
        return StorageStatus::ok;
    }

    StorageStatus set_size(uint64_t size) override {
        if (!context_->writable) return StorageStatus::access_denied;
        if (size > cfb::kMaxStreamSize) return StorageStatus::io_error;
        try {
            node_->drop_producer();
            node_->data.resize(static_cast<size_t>(size));
            if (size == 0) node_->data.shrink_to_fit();
        } catch (const std::exception &) {
            return StorageStatus::io_error;
        }
        return StorageStatus::ok;
    }

    StorageStatus produce(uint64_t size, StreamProducer produce) override {
        if (!context_->writable) return StorageStatus::access_denied;
        if (size > cfb::kMaxStreamSize) return StorageStatus::io_error;
        try {
            node_->producer = std::move(produce);
        } catch (const std::exception &) {
            return StorageStatus::io_error;
        }
        node_->produced_size = size;
        std::vector<uint8_t>().swap(node_->data);
        return StorageStatus::ok;
    }

  private:
    Node *node_;
    const Context *context_;
    uint64_t position_ = 0;
};

class StorageImpl;

Storage *storage_object(Node *node, const Context *context);

Stream *new_stream_object(Node *node, const Context *context) {
    node->stream_objects.push_back(std::make_unique<StreamImpl>(node, context));
    return node->stream_objects.back().get();
}

class StorageImpl final : public Storage {
  public:
    StorageImpl(Node *node, const Context *context) : node_(node), context_(context) {}

    Stream *create_stream(std::u16string_view name, StorageStatus *status) override {
        return element(name, /*storage=*/false, /*create=*/true, status).stream;
    }
    Stream *open_stream(std::u16string_view name, StorageStatus *status) override {
        return element(name, false, false, status).stream;
    }
    Storage *create_storage(std::u16string_view name, StorageStatus *status) override {
        return element(name, true, true, status).storage;
    }
    Storage *open_storage(std::u16string_view name, StorageStatus *status) override {
        return element(name, true, false, status).storage;
    }

    StorageStatus destroy_element(std::u16string_view name) override {
        if (!cfb::is_lookup_name(name)) return StorageStatus::invalid_name;
        if (!context_->writable) return StorageStatus::access_denied;
        bool found = false;
        const size_t index = cfb::find_child(*node_, name, &found);
        if (!found) return StorageStatus::not_found;
        node_->children.erase(node_->children.begin() + static_cast<ptrdiff_t>(index));
        return StorageStatus::ok;
    }

    std::vector<ElementInfo> elements() const override {
        std::vector<ElementInfo> out;
        try {
            out.reserve(node_->children.size());
            for (const auto &child : node_->children) {
                ElementInfo info;
                info.name = child->name;
                info.is_storage = child->is_storage;
                if (child->is_storage) {
                    info.class_id = child->class_id;
                } else {
                    info.size = child->stream_size();
                }
                out.push_back(std::move(info));
            }
        } catch (const std::exception &) {
            out.clear();
        }
        return out;
    }

    ClassId class_id() const override { return node_->class_id; }

    StorageStatus set_class_id(const ClassId &id) override {
        if (!context_->writable) return StorageStatus::access_denied;
        node_->class_id = id;
        return StorageStatus::ok;
    }

  private:
    struct Found {
        Stream *stream = nullptr;
        Storage *storage = nullptr;
    };

    Found element(std::u16string_view name, bool storage, bool create, StorageStatus *status) {
        Found result;
        if (create ? !cfb::is_valid_name(name) : !cfb::is_lookup_name(name)) {
            set(status, StorageStatus::invalid_name);
            return result;
        }
        if (create && !context_->writable) {
            set(status, StorageStatus::access_denied);
            return result;
        }
        try {
            bool found = false;
            const size_t index = cfb::find_child(*node_, name, &found);
            Node *node = nullptr;
            if (found) {
                node = node_->children[index].get();
                if (node->is_storage != storage) {
                    set(status, StorageStatus::already_exists);
                    return result;
                }
                if (create) {
                    // Emptied in place, so objects handed out for it stay valid.
                    node->data.clear();
                    node->data.shrink_to_fit();
                    node->drop_producer();
                    node->children.clear();
                    node->class_id = ClassId{};
                    node->state_bits = 0;
                    node->created = 0;
                    node->modified = 0;
                }
            } else {
                if (!create) {
                    set(status, StorageStatus::not_found);
                    return result;
                }
                auto fresh = std::make_unique<Node>();
                fresh->name = std::u16string(name);
                fresh->is_storage = storage;
                node = fresh.get();
                node_->children.insert(node_->children.begin() + static_cast<ptrdiff_t>(index),
                                       std::move(fresh));
            }
            if (storage) {
                result.storage = storage_object(node, context_);
            } else {
                result.stream = new_stream_object(node, context_);
            }
        } catch (const std::exception &) {
            set(status, StorageStatus::io_error);
            return Found{};
        }
        set(status, StorageStatus::ok);
        return result;
    }

    Node *node_;
    const Context *context_;
};

Storage *storage_object(Node *node, const Context *context) {
    if (!node->storage_object) node->storage_object = std::make_unique<StorageImpl>(node, context);
    return node->storage_object.get();
}

class CompoundFileImpl final : public CompoundFile {
  public:
    CompoundFileImpl(std::filesystem::path path, std::unique_ptr<Node> root, bool writable)
        : path_(std::move(path)), root_(std::move(root)) {
        context_.writable = writable;
        root_storage_ = storage_object(root_.get(), &context_);
    }
    ~CompoundFileImpl() override {
        // The tree goes first: the objects in it point at the context.
        root_.reset();
    }

    Storage &root() override { return *root_storage_; }

    StorageStatus commit() override {
        if (!context_.writable) return StorageStatus::access_denied;
        try {
            return cfb::write_compound_file(path_, *root_);
        } catch (const std::exception &) {
            return StorageStatus::io_error;
        }
    }

  private:
    std::filesystem::path path_;
    Context context_;
    std::unique_ptr<Node> root_;
    Storage *root_storage_ = nullptr;
};

std::filesystem::path absolute_path(const std::filesystem::path &path) {
    std::error_code error;
    auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute;
}

// ok when path can be opened for writing, or does not exist.
StorageStatus check_writable(const std::filesystem::path &path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return StorageStatus::ok;
    }
    const int error = errno;
    if (error == ENOENT) return StorageStatus::ok;
    if (error == EACCES || error == EPERM || error == EROFS) return StorageStatus::access_denied;
    return StorageStatus::io_error;
}

// The tree of the file at `source`, written to `target` by commit (in read mode, never).
// `update` refuses a target we may not change.
std::unique_ptr<CompoundFile> file_from(const std::filesystem::path &source,
                                        const std::filesystem::path &target, bool writable,
                                        bool update, StorageStatus *status) {
    try {
        std::unique_ptr<Node> root;
        const StorageStatus read = cfb::read_compound_file(absolute_path(source), &root);
        if (read != StorageStatus::ok) {
            set(status, read);
            return nullptr;
        }
        const auto full = absolute_path(target);
        if (update) {
            const StorageStatus access = check_writable(full);
            if (access != StorageStatus::ok) {
                set(status, access);
                return nullptr;
            }
        }
        auto file = std::make_unique<CompoundFileImpl>(full, std::move(root), writable);
        set(status, StorageStatus::ok);
        return file;
    } catch (const std::exception &) {
        set(status, StorageStatus::io_error);
        return nullptr;
    }
}

}  // namespace

std::unique_ptr<CompoundFile> CompoundFile::create(const std::filesystem::path &path,
                                                   StorageStatus *status) {
    try {
        auto root = std::make_unique<Node>();
        root->name = u"Root Entry";
        root->is_storage = true;
        auto file = std::make_unique<CompoundFileImpl>(absolute_path(path), std::move(root), true);
        set(status, StorageStatus::ok);
        return file;
    } catch (const std::exception &) {
        set(status, StorageStatus::io_error);
        return nullptr;
    }
}

std::unique_ptr<CompoundFile> CompoundFile::create_from(const std::filesystem::path &source,
                                                        const std::filesystem::path &path,
                                                        StorageStatus *status) {
    return file_from(source, path, true, false, status);
}

std::unique_ptr<CompoundFile> CompoundFile::open_read(const std::filesystem::path &path,
                                                      StorageStatus *status) {
    return file_from(path, path, false, false, status);
}

std::unique_ptr<CompoundFile> CompoundFile::open_update(const std::filesystem::path &path,
                                                        StorageStatus *status) {
    return file_from(path, path, true, true, status);
}

}  // namespace tabrix::platform
