// Sorting.
#include "numeric/sort.h"

#include <cstring>
#include <vector>

#include "kernel/keyqueue.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"

namespace {

// The sort key of element i: the value, or the modulus of a complex list's
// element.
BcdReal KeyOf(const BcdReal *e, u32 n, bool complex, u32 i) {
  Value v, m;
  ArrGet(e, n, complex, i, &v);
  if (!complex) return v.re;
  ValAbs(&v, &m);
  return m.re;
}

// Quicksort of the permutation by the keys; straight insertion for short
// segments. `desc` reverses every comparison.
u32 IndexSort(u16 n, u32 complex, Value *key, u16 *perm, bool desc) {
  const ArrInfo a = ArrInfoOf(key);
  const BcdReal *e = ArrElems(a.handle);
  if (e == nullptr) {
    ArrFail(key, kArrErrMemory);
    return 4;
  }
  const MemHandle stackBlock = MemAlloc(4u * n + 4);
  if (stackBlock == 0) {
    ArrFail(key, kArrErrMemory);
    return 4;
  }
  u16 *stack = reinterpret_cast<u16 *>(MemDeref(stackBlock));
  std::vector<BcdReal> keys(n + 1u);
  for (u32 i = 1; i <= n; ++i) keys[i] = KeyOf(e, n, complex != 0, i - 1);
  for (u32 i = 1; i <= n; ++i) perm[i] = static_cast<u16>(i);
  bool bad = false;
  // less(x, y): x sorts strictly before y.
  auto before = [&](u16 x, u16 y) {
    const int r = desc ? RealIsGreater(&keys[x], &keys[y]) : RealIsLess(&keys[x], &keys[y]);
    if (r < 0) bad = true;
    return r == 1;
  };
  auto fail = [&](u32 code) {
    MemFree(stackBlock);
    ArrFail(key, static_cast<u8>(code));
    return code;
  };
  u32 top = 0;
  const u32 stackMax = 2u * n;
  i32 l = 1, ir = n;
  for (;;) {
    if (ir - l < 7) {
      for (i32 j = l + 1; j <= ir; ++j) {
        const u16 v = perm[j];
        i32 i = j - 1;
        while (i >= l && before(v, perm[i])) {
          perm[i + 1] = perm[i];
          --i;
        }
        perm[i + 1] = v;
      }
      if (bad) return fail(3);
      if (top == 0) break;
      ir = stack[top--];
      l = stack[top--];
    } else {
      const i32 k = (l + ir) / 2;
      std::swap(perm[k], perm[l + 1]);
      if (before(perm[ir], perm[l + 1])) std::swap(perm[l + 1], perm[ir]);
      if (before(perm[ir], perm[l])) std::swap(perm[l], perm[ir]);
      if (before(perm[l], perm[l + 1])) std::swap(perm[l + 1], perm[l]);
      i32 i = l + 1, j = ir;
      const u16 pivot = perm[l];
      for (;;) {
        do ++i; while (i <= ir && before(perm[i], pivot));
        do --j; while (before(pivot, perm[j]));
        if (j < i) break;
        std::swap(perm[i], perm[j]);
      }
      perm[l] = perm[j];
      perm[j] = pivot;
      if (bad) return fail(3);
      if (top + 2 > stackMax) return fail(3);
      if (ir - i + 1 >= j - l) {
        stack[++top] = static_cast<u16>(i);
        stack[++top] = static_cast<u16>(ir);
        ir = j - 1;
      } else {
        stack[++top] = static_cast<u16>(l);
        stack[++top] = static_cast<u16>(j - 1);
        l = i;
      }
    }
  }
  MemFree(stackBlock);
  return 0;
}

// A copy of a list's elements taken before any list is rewritten.
struct ListCopy {
  MemHandle h = 0;
};

u32 CopyOf(const Value *list, u16 n, ListCopy *c) {
  const ArrInfo a = ArrInfoOf(list);
  const u32 bytes = (a.complex ? 2u : 1u) * n * 12;
  c->h = MemAlloc(bytes);
  if (c->h == 0) return 4;
  const u8 *src = MemDeref(a.handle);
  if (src == nullptr) {
    MemFree(c->h);
    c->h = 0;
    return 4;
  }
  std::memcpy(MemDeref(c->h), src, bytes);
  return 0;
}

void Rewrite(Value *list, const ListCopy &c, const u16 *perm, u16 n) {
  const ArrInfo a = ArrInfoOf(list);
  BcdReal *dst = ArrElems(a.handle);
  const BcdReal *src = ArrElems(c.h);
  for (u32 i = 1; i <= n; ++i) {
    dst[i - 1] = src[perm[i] - 1];
    if (a.complex) dst[n + i - 1] = src[n + perm[i] - 1];
  }
}

u32 SortLists(int count, Value *const lists[], bool desc) {
  Value *key = lists[0];
  if (ValErrorCode(key) != 0) return ValErrorCode(key);
  const ArrInfo a = ArrInfoOf(key);
  const u16 n = a.rows;
  if (n == 0) return 9;
  const MemHandle permBlock = MemAlloc(2u * n + 2);
  if (permBlock == 0) return 4;
  u16 *perm = reinterpret_cast<u16 *>(MemDeref(permBlock));
  // The index sort writes its error into a copy of the key's header: the
  // caller's values keep their blocks whatever happens.
  Value keyCopy = *key;
  const u32 r = IndexSort(n, a.complex ? 1 : 0, &keyCopy, perm, desc);
  if (r != 0) {
    MemFree(permBlock);
    return ValErrorCode(&keyCopy);
  }
  // Every copy first, so that a failure leaves all lists as they were.
  std::vector<ListCopy> copies(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (CopyOf(lists[i], n, &copies[static_cast<size_t>(i)]) != 0) {
      for (ListCopy &c : copies) {
        if (c.h) MemFree(c.h);
      }
      MemFree(permBlock);
      return 4;
    }
  }
  for (int i = 0; i < count; ++i) Rewrite(lists[i], copies[static_cast<size_t>(i)], perm, n);
  for (ListCopy &c : copies) MemFree(c.h);
  MemFree(permBlock);
  return 0;
}

// Heap sort of up to three arrays moved in step by the first one's order.
u32 HeapSort(int n, MemHandle k, MemHandle c1, MemHandle c2, bool desc) {
  if (n < 1) return 9;
  BcdReal *a = ArrElems(k);
  BcdReal *b = c1 ? ArrElems(c1) : nullptr;
  BcdReal *c = c2 ? ArrElems(c2) : nullptr;
  if (a == nullptr || (c1 && b == nullptr) || (c2 && c == nullptr)) return 4;
  if (n == 1) return 0;
  // 1-based views.
  --a;
  if (b) --b;
  if (c) --c;
  auto lessThan = [&](const BcdReal &x, const BcdReal &y) {
    BcdReal p = x, q = y;
    return (desc ? RealIsGreater(&p, &q) : RealIsLess(&p, &q)) == 1;
  };
  i32 l = n / 2 + 1, ir = n;
  for (;;) {
    BcdReal ra, rb{}, rc{};
    if (l > 1) {
      --l;
      ra = a[l];
      if (b) rb = b[l];
      if (c) rc = c[l];
    } else {
      ra = a[ir];
      if (b) rb = b[ir];
      if (c) rc = c[ir];
      a[ir] = a[1];
      if (b) b[ir] = b[1];
      if (c) c[ir] = c[1];
      if (--ir == 1) {
        a[1] = ra;
        if (b) b[1] = rb;
        if (c) c[1] = rc;
        return 0;
      }
    }
    i32 i = l, j = l + l;
    while (j <= ir) {
      if (j < ir && !lessThan(a[j + 1], a[j])) ++j;
      if (lessThan(ra, a[j])) {
        a[i] = a[j];
        if (b) b[i] = b[j];
        if (c) c[i] = c[j];
        i = j;
        j += j;
      } else {
        break;
      }
    }
    a[i] = ra;
    if (b) b[i] = rb;
    if (c) c[i] = rc;
    if (KeyBreakPoll() != 0) return 1;
  }
}

}  // namespace

u32 SortListsAscending(int count, Value *const lists[]) { return SortLists(count, lists, false); }
u32 SortListsDescending(int count, Value *const lists[]) { return SortLists(count, lists, true); }
u32 SortIndexAscending(u16 n, u32 complex, Value *key, u16 *perm) { return IndexSort(n, complex, key, perm, false); }
u32 SortIndexDescending(u16 n, u32 complex, Value *key, u16 *perm) { return IndexSort(n, complex, key, perm, true); }

u32 SortApplyPermutation(Value *list, const u16 *perm, u16 n) {
  ListCopy c;
  if (CopyOf(list, n, &c) != 0) {
    ArrFail(list, kArrErrMemory);
    return 4;
  }
  Rewrite(list, c, perm, n);
  MemFree(c.h);
  return 0;
}

u32 ListHeapSort(int n, MemHandle a) { return HeapSort(n, a, 0, 0, false); }
u32 ListHeapSortPair(int n, MemHandle key, MemHandle companion) { return HeapSort(n, key, companion, 0, false); }
u32 ListHeapSortPairDesc(int n, MemHandle key, MemHandle companion) { return HeapSort(n, key, companion, 0, true); }
u32 ListHeapSortTriple(int n, MemHandle key, MemHandle c1, MemHandle c2) { return HeapSort(n, key, c1, c2, false); }
