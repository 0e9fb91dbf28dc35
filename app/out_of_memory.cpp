// Memory that cannot be had is fatal, with the number of bytes asked for:
// the program's own operator new. Linked into the program itself, not into a
// library, so that it replaces the standard one.
#include <cstdlib>
#include <new>
#include <string>

#include "app/fatal_error.h"
#include "common/gbk.h"

namespace {

[[noreturn]] void out_of_memory(std::size_t bytes) {
    std::string text = common::gbk<"分配 %d 字节内存失败!">();
    std::string count = std::to_string(bytes);
    text.replace(text.find("%d"), 2, count);
    app::fatal_error(text);
}

void* allocate(std::size_t bytes) {
    if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
    out_of_memory(bytes);
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate(bytes); }
void* operator new[](std::size_t bytes) { return allocate(bytes); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
