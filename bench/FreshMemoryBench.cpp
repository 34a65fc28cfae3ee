// What a page of memory new to the process costs on this machine when it is
// first written: the kernel clears it, and on a virtual machine the host may
// have to back it too. Every byte a session keeps comes to the server this
// way until sessions start to expire, so scripts/bench multiplies this by the
// server's page faults per search.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>

namespace {

// About what one 1,000-result session keeps, mapped fresh, written one byte
// a page (or, with 1, made resident in one call as the server readies its
// heap), and given back, so that the next round finds no page of it left.
void BM_FreshPages(benchmark::State& state) {
  const bool populate = state.range(0) == 1;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t bytes = size_t{4} << 20;
  for (auto _ : state) {
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
      state.SkipWithError("no memory to map");
      return;
    }
    madvise(mapped, bytes, MADV_NOHUGEPAGE);  // the heap's pages are ordinary ones, whatever the system's default
    auto* memory = static_cast<volatile char*>(mapped);
    if (populate) {
      if (madvise(mapped, bytes, MADV_POPULATE_WRITE) != 0) {
        munmap(mapped, bytes);
        state.SkipWithError("this kernel cannot populate pages in one call");
        return;
      }
    } else {
      for (size_t at = 0; at < bytes; at += page) memory[at] = 1;
    }
    munmap(mapped, bytes);
  }
  const double pages = static_cast<double>(bytes / page);
  state.counters["us_per_page"] =
      benchmark::Counter(pages * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FreshPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
