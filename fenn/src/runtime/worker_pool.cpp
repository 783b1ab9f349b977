#include "fenn/src/runtime/worker_pool.hpp"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>

namespace fenn::runtime::pool_detail {
namespace {

constexpr uint64_t kMinChunk = 4096;
// A size far beyond any machine; larger requests are lowered to it.
constexpr std::size_t kMaxThreads = std::size_t{1} << 16;
// Pass bodies are flat loops; a small stack lets more workers start where the
// address space is capped.
constexpr std::size_t kWorkerStack = std::size_t{1} << 20;

// Spins for up to kSpin until done() holds; tells whether it does.
constexpr auto kSpin = std::chrono::microseconds(50);
template <class Done>
bool spin_until(const Done& done) {
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (done()) return true;
      __builtin_ia32_pause();
    }
    if (std::chrono::steady_clock::now() >= until) return false;
  }
}

uint64_t floor_pow2(uint64_t v) { return uint64_t{1} << (63 - std::countl_zero(v | 1)); }

// One pass handed to the pool. It lives on the stack of the thread that runs
// it, which does not return before the last helper has left.
struct Pass {
  Pass(uint64_t n_, uint64_t chunks_, ChunkFn chunk_, void* context_)
      : n(n_), chunks(chunks_), chunk(chunk_), context(context_) {}

  uint64_t n;
  uint64_t chunks;
  ChunkFn chunk;
  void* context;
  std::atomic<uint64_t> next{0};  // the next range to claim
  // Workers inside the pass: changed with the pool's mutex held, read by the
  // caller without it while it spins.
  std::atomic<unsigned> helpers{0};
  // Guarded by the pool's mutex:
  std::exception_ptr error;
  Pass* later = nullptr;
  bool queued = false;

  uint64_t begin(uint64_t k) const {
    const uint64_t size = n / chunks, extra = n % chunks;
    return k * size + std::min(k, extra);
  }
};

class Pool {
 public:
  // The pool, made on the first call; nullptr only when its own record could
  // not be allocated, and then every pass runs on its caller.
  static Pool* instance() noexcept {
    static Pool* const pool = new (std::nothrow) Pool();
    return pool;
  }

  std::size_t threads() const { return threads_; }

  // True on a worker and on a caller while it runs chunks of its own pass.
  bool inside_pass() const {
    return key_valid_ && pthread_getspecific(key_) != nullptr;
  }

  void run(Pass& pass) {
    std::unique_lock lock(mutex_);
    if (!started_) start_workers();
    if (workers_ == 0) {
      lock.unlock();
      run_inline(pass);
      return;
    }
    enqueue(pass);
    published_.fetch_add(1, std::memory_order_release);
    if (sleeping_ != 0) work_.notify_all();
    lock.unlock();

    set_inside(true);
    work(pass);
    set_inside(false);

    lock.lock();
    unlink(pass);  // from now on no worker joins the pass
    if (pass.helpers.load(std::memory_order_relaxed) != 0) {
      // Helpers usually finish their last range within microseconds.
      lock.unlock();
      spin_until([&] { return pass.helpers.load(std::memory_order_acquire) == 0; });
      lock.lock();
      done_.wait(lock, [&] { return pass.helpers.load(std::memory_order_relaxed) == 0; });
    }
    const std::exception_ptr error = pass.error;
    lock.unlock();
    if (error) std::rethrow_exception(error);
  }

  void run_inline(Pass& pass) {
    struct Inside {
      const Pool* pool;
      bool was;
      ~Inside() { pool->set_inside(was); }
    } restore{this, inside_pass()};
    set_inside(true);
    for (uint64_t k = 0; k < pass.chunks; ++k)
      pass.chunk(pass.context, k, pass.begin(k), pass.begin(k + 1));
  }

 private:
  Pool() noexcept {
    try {
      threads_ = std::clamp<std::size_t>(worker_count(), 1, kMaxThreads);
    } catch (...) {
      threads_ = 1;  // the size could not even be read: the caller alone
    }
    key_valid_ = pthread_key_create(&key_, nullptr) == 0;
    pthread_atfork(&Pool::before_fork, &Pool::after_fork_in_parent, &Pool::after_fork_in_child);
  }

  // Starts the workers, once, with the mutex held. A thread that cannot be
  // created (process limit, address space) ends the starting: the pool works
  // with the ones it has, the caller alone at worst.
  void start_workers() noexcept {
    started_ = true;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, kWorkerStack);
    // Workers take none of the host's asynchronous signals; faults still
    // reach their handlers.
    sigset_t blocked, previous;
    sigfillset(&blocked);
    for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS})
      sigdelset(&blocked, fault);
    const bool masked = pthread_sigmask(SIG_SETMASK, &blocked, &previous) == 0;
    for (std::size_t i = 1; i < threads_; ++i) {
      pthread_t thread;
      if (pthread_create(&thread, &attributes, &Pool::worker_main, this) != 0) break;
      ++workers_;
    }
    if (masked) pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    pthread_attr_destroy(&attributes);
  }

  static void* worker_main(void* self) {
    static_cast<Pool*>(self)->serve();
    return nullptr;
  }

  void serve() {
    set_inside(true);  // a body that starts a pass runs it inline
    std::unique_lock lock(mutex_);
    for (;;) {
      Pass* pass = open_pass();
      if (pass == nullptr) {
        // Passes of one run follow each other closely: watch for the next
        // one for a moment before going to sleep.
        const uint64_t seen = published_.load(std::memory_order_relaxed);
        lock.unlock();
        const bool another =
            spin_until([&] { return published_.load(std::memory_order_acquire) != seen; });
        lock.lock();
        if (another || open_pass() != nullptr) continue;
        ++sleeping_;
        work_.wait(lock);
        --sleeping_;
        continue;
      }
      pass->helpers.fetch_add(1, std::memory_order_relaxed);
      lock.unlock();
      work(*pass);
      lock.lock();
      unlink(*pass);
      if (pass->helpers.fetch_sub(1, std::memory_order_release) == 1) done_.notify_all();
    }
  }

  // Claims and runs ranges until none is left. An exception stops the pass:
  // it is kept for the caller and the remaining ranges are given up.
  void work(Pass& pass) noexcept {
    try {
      for (uint64_t k; (k = pass.next.fetch_add(1, std::memory_order_relaxed)) < pass.chunks;)
        pass.chunk(pass.context, k, pass.begin(k), pass.begin(k + 1));
    } catch (...) {
      std::lock_guard lock(mutex_);
      if (!pass.error) pass.error = std::current_exception();
      pass.next.store(pass.chunks, std::memory_order_relaxed);
    }
  }

  // The oldest queued pass with ranges left to claim; passes whose ranges are
  // all claimed leave the queue on the way. Mutex held.
  Pass* open_pass() {
    while (first_ != nullptr) {
      if (first_->next.load(std::memory_order_relaxed) < first_->chunks) return first_;
      unlink(*first_);
    }
    return nullptr;
  }

  void enqueue(Pass& pass) {
    pass.queued = true;
    pass.later = nullptr;
    (first_ == nullptr ? first_ : last_->later) = &pass;
    last_ = &pass;
  }

  void unlink(Pass& pass) {
    if (!pass.queued) return;
    pass.queued = false;
    Pass* before = nullptr;
    for (Pass* p = first_; p != &pass; p = p->later) before = p;
    (before == nullptr ? first_ : before->later) = pass.later;
    if (last_ == &pass) last_ = before;
  }

  void set_inside(bool inside) const {
    // Keys below 32 live in the thread's own record, so this allocates
    // nothing; should it fail, nested passes still finish, only not inline.
    if (key_valid_) pthread_setspecific(key_, inside ? this : nullptr);
  }

  // A fork keeps only the forking thread: the child starts a pool of its own
  // on its first pass, over a mutex that no vanished thread holds.
  static void before_fork() {
    if (Pool* pool = instance()) pool->mutex_.lock();
  }
  static void after_fork_in_parent() {
    if (Pool* pool = instance()) pool->mutex_.unlock();
  }
  static void after_fork_in_child() {
    Pool* pool = instance();
    if (pool == nullptr) return;
    pool->mutex_.unlock();
    new (&pool->work_) std::condition_variable();
    new (&pool->done_) std::condition_variable();
    pool->first_ = pool->last_ = nullptr;
    pool->workers_ = pool->sleeping_ = 0;
    pool->started_ = false;
  }

  std::size_t threads_ = 1;
  std::atomic<uint64_t> published_{0};  // passes queued so far
  pthread_key_t key_{};
  bool key_valid_ = false;
  std::mutex mutex_;
  std::condition_variable work_;  // a pass was queued
  std::condition_variable done_;  // a helper left a pass
  // Guarded by mutex_:
  Pass* first_ = nullptr;
  Pass* last_ = nullptr;
  std::size_t workers_ = 0;
  std::size_t sleeping_ = 0;
  bool started_ = false;
};

}  // namespace

void run_pass(uint64_t n, uint64_t chunks, ChunkFn chunk, void* context) {
  Pass pass(n, chunks, chunk, context);
  Pool* pool = Pool::instance();
  if (pool == nullptr) {
    for (uint64_t k = 0; k < chunks; ++k) chunk(context, k, pass.begin(k), pass.begin(k + 1));
    return;
  }
  if (pool->inside_pass()) {
    pool->run_inline(pass);
    return;
  }
  pool->run(pass);
}

uint64_t for_chunks(uint64_t n) {
  const Pool* pool = Pool::instance();
  const uint64_t threads = pool == nullptr ? 1 : pool->threads();
  // Small ranges keep the end of a pass short when a worker is preempted on
  // a busy machine; claiming one costs a single atomic addition.
  const uint64_t most = std::max<uint64_t>(4096, std::bit_ceil(16 * threads));
  return std::min(most, floor_pow2(n / kMinChunk));
}

uint64_t reduce_chunks(uint64_t n) { return std::min(kMaxReduceChunks, floor_pow2(n / kMinChunk)); }

}  // namespace fenn::runtime::pool_detail
