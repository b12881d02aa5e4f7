// sqvmops.cpp -- the operations of the language on values: indexing with
// delegation and metamethods, arithmetic, comparison, conversion to string,
// cloning and iteration.
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqtable.h"
#include "platform/squirrel/sqvm.h"

SQInteger sq_numtostr(const SQObject& o, SQChar* buf, SQInteger size)
{
    if (sq_type(o) == OT_INTEGER) return snprintf(buf, (size_t)size, "%" PRId64, (int64_t)_integer(o));
    return snprintf(buf, (size_t)size, "%g", (double)_float(o));
}

bool sq_str2num(const SQChar* s, SQInteger len, SQObjectPtr& res, SQInteger base)
{
    if (len <= 0) return false;
    std::string text(s, (size_t)len);
    const char* begin = text.c_str();
    char* end = nullptr;
    if (base == 10) {
        bool isfloat = text.find_first_of(".eE") != std::string::npos;
        if (isfloat) {
            double d = strtod(begin, &end);
            if (end == begin || *end) return false;
            res = SQObjectPtr((SQFloat)d);
            return true;
        }
    }
    errno = 0;
    unsigned long long u;
    bool neg = false;
    const char* p = begin;
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '-' || *p == '+') {
        neg = *p == '-';
        p++;
    }
    if (!*p || *p == '-' || *p == '+' || *p == ' ') return false;
    u = strtoull(p, &end, (int)base);
    if (end == p || *end) return false;
    SQInteger v = (SQInteger)u;
    res = SQObjectPtr(neg ? (SQInteger)(0 - (SQUnsignedInteger)v) : v);
    return true;
}

// --- metamethods ---------------------------------------------------------------

SQTable* sq_delegateof(const SQObject& o)
{
    switch (sq_type(o)) {
        case OT_TABLE:
            return _table(o)->_delegate;
        case OT_USERDATA:
            return _userdata(o)->_delegate;
        default:
            return nullptr;
    }
}

bool SQVM::GetMetaMethod(const SQObject& self, SQMetaMethod mm, SQObjectPtr& closure)
{
    if (sq_type(self) == OT_INSTANCE) {
        const SQObjectPtr* m = _instance(self)->GetMetaMethod(mm);
        if (!m) return false;
        closure = *m;
        return true;
    }
    // Metamethods live in the delegate, or further up its delegate chain.
    for (SQTable* d = sq_delegateof(self); d; d = d->_delegate) {
        if (d->Get(ss()->_metamethodnames[mm], closure)) return true;
    }
    return false;
}

int SQVM::FallBackGet(const SQObject& self, const SQObject& key, SQObjectPtr& dest)
{
    switch (sq_type(self)) {
        case OT_TABLE:
        case OT_USERDATA: {
            for (SQTable* d = sq_delegateof(self); d; d = d->_delegate) {
                if (d->Get(key, dest)) return 0;
            }
            break;
        }
        case OT_INSTANCE:
            break;
        default:
            return 1;
    }
    SQObjectPtr mm;
    if (!GetMetaMethod(self, MT_GET, mm)) return 1;
    Push(self);
    Push(key);
    // A clean "not found" is no error: the handler only hears of real ones.
    if (CallMetaMethod(mm, 2, dest, false)) return 0;
    // _get throws null for a clean "not found".
    if (sq_type(_lasterror) == OT_NULL) return 1;
    return 2;
}

bool SQVM::InvokeDefaultDelegate(const SQObject& self, const SQObject& key, SQObjectPtr& dest)
{
    const SQObjectPtr* dd = ss()->DefaultDelegate(sq_type(self));
    return dd && _table(*dd)->Get(key, dest);
}

int SQVM::GetImpl(const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw, bool usedefault)
{
    switch (sq_type(self)) {
        case OT_TABLE:
            if (_table(self)->Get(key, dest)) return 0;
            break;
        case OT_ARRAY:
            if (sq_type(key) & SQOBJECT_NUMERIC) {
                if (_array(self)->Get(sq_tointeger(key), dest)) return 0;
                return 1;
            }
            break;
        case OT_INSTANCE:
            if (_instance(self)->Get(key, dest)) return 0;
            break;
        case OT_CLASS:
            if (_class(self)->Get(key, dest)) return 0;
            break;
        case OT_STRING:
            if (sq_type(key) & SQOBJECT_NUMERIC) {
                SQInteger n = sq_tointeger(key);
                SQString* str = _string(self);
                if (n >= 0 && n < str->_len) {
                    dest = SQObjectPtr((SQInteger)(unsigned char)str->_val[n]);
                    return 0;
                }
                return 1;
            }
            break;
        default:
            break;
    }
    if (raw) return 1;
    int r = FallBackGet(self, key, dest);
    if (r != 1) return r;
    if (usedefault && InvokeDefaultDelegate(self, key, dest)) return 0;
    return 1;
}

bool SQVM::Get(const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw, bool raiseerror)
{
    int r = GetImpl(self, key, dest, raw, true);
    if (r == 1 && raiseerror) Raise_IdxError(key);
    return r == 0;
}

bool SQVM::GetVar(const SQObject& self, const SQObject& root, const SQObject& key, SQObjectPtr& dest)
{
    int r = GetImpl(self, key, dest, false, true);
    if (r == 0) return true;
    if (r == 2) return false;
    const SQObject& rt = sq_type(root) == OT_TABLE ? root : (const SQObject&)_roottable;
    r = GetImpl(rt, key, dest, false, false);
    if (r == 0) return true;
    if (r == 1) Raise_IdxError(key);
    return false;
}

int SQVM::FallBackSet(const SQObject& self, const SQObject& key, const SQObject& val)
{
    switch (sq_type(self)) {
        case OT_TABLE:
            // A slot found up the delegate chain is set where it is.
            for (SQTable* d = _table(self)->_delegate; d; d = d->_delegate) {
                if (d->Set(key, val)) return 0;
            }
            break;
        case OT_INSTANCE:
        case OT_USERDATA:
            break;
        default:
            return 1;
    }
    SQObjectPtr mm;
    if (!GetMetaMethod(self, MT_SET, mm)) return 1;
    Push(self);
    Push(key);
    Push(val);
    SQObjectPtr ret;
    if (CallMetaMethod(mm, 3, ret, false)) return 0;
    if (sq_type(_lasterror) == OT_NULL) return 1;
    return 2;
}

bool SQVM::Set(const SQObject& self, const SQObject& key, const SQObject& val)
{
    switch (sq_type(self)) {
        case OT_TABLE:
            if (_table(self)->Set(key, val)) return true;
            break;
        case OT_ARRAY:
            if (!(sq_type(key) & SQOBJECT_NUMERIC)) {
                Raise_Error("indexing %s with %s", sq_typename(self), sq_typename(key));
                return false;
            }
            if (!_array(self)->Set(sq_tointeger(key), val)) {
                Raise_IdxError(key);
                return false;
            }
            return true;
        case OT_INSTANCE:
            if (_instance(self)->Set(key, val)) return true;
            break;
        case OT_CLASS: {
            SQInteger member;
            if (_class(self)->GetMember(key, member)) {
                if (_class(self)->NewSlot(ss(), key, val, sq_member_kind(member) == SQ_MEMBER_STATIC)) return true;
                Raise_Error("trying to modify a class that has already been instantiated");
                return false;
            }
            break;
        }
        case OT_USERDATA:
            break;
        default:
            Raise_Error("trying to set '%s'", sq_typename(self));
            return false;
    }
    int r = FallBackSet(self, key, val);
    if (r == 0) return true;
    if (r == 1) Raise_IdxError(key);
    return false;
}

bool SQVM::SetVar(const SQObject& self, const SQObject& root, const SQObject& key, const SQObject& val)
{
    SQObjectPtr tmp;
    int r = GetImpl(self, key, tmp, false, false);
    if (r == 2) return false;
    if (r == 0) return Set(self, key, val);
    const SQObject& rt = sq_type(root) == OT_TABLE ? root : (const SQObject&)_roottable;
    return Set(rt, key, val);
}

bool SQVM::NewSlot(const SQObject& self, const SQObject& key, const SQObject& val, bool bstatic)
{
    if (sq_type(key) == OT_NULL) {
        Raise_Error("null cannot be used as index");
        return false;
    }
    switch (sq_type(self)) {
        case OT_TABLE: {
            SQTable* t = _table(self);
            if (t->Set(key, val)) return true;
            SQObjectPtr mm;
            if (t->_delegate && GetMetaMethod(self, MT_NEWSLOT, mm)) {
                Push(self);
                Push(key);
                Push(val);
                SQObjectPtr ret;
                return CallMetaMethod(mm, 3, ret);
            }
            t->NewSlot(key, val);
            return true;
        }
        case OT_CLASS:
            if (!_class(self)->NewSlot(ss(), key, val, bstatic)) {
                if (_class(self)->_locked)
                    Raise_Error("trying to modify a class that has already been instantiated");
                else
                    Raise_Error("the class is being released");
                return false;
            }
            return true;
        case OT_INSTANCE:
            Raise_Error("class instances do not support the new slot operator");
            return false;
        default:
            Raise_Error("indexing %s with %s", sq_typename(self), sq_typename(key));
            return false;
    }
}

bool SQVM::DeleteSlot(const SQObject& self, const SQObject& key, SQObjectPtr& res)
{
    switch (sq_type(self)) {
        case OT_TABLE:
        case OT_INSTANCE:
        case OT_USERDATA: {
            SQObjectPtr mm;
            if (GetMetaMethod(self, MT_DELSLOT, mm)) {
                Push(self);
                Push(key);
                return CallMetaMethod(mm, 2, res);
            }
            if (sq_type(self) != OT_TABLE) break;
            SQTable* t = _table(self);
            if (!t->Get(key, res)) {
                Raise_IdxError(key);
                return false;
            }
            t->Remove(key);
            return true;
        }
        default:
            break;
    }
    Raise_Error("attempt to delete a slot from a %s", sq_typename(self));
    return false;
}

bool SQVM::In(const SQObject& key, const SQObject& obj, bool& res)
{
    SQObjectPtr tmp;
    int r = GetImpl(obj, key, tmp, false, false);
    if (r == 2) return false;
    res = r == 0;
    return true;
}

// --- arithmetic ------------------------------------------------------------------

bool SQVM::Arith(SQInteger op, SQObjectPtr& trg, const SQObject& a, const SQObject& b)
{
    if (sq_type(a) == OT_INTEGER && sq_type(b) == OT_INTEGER) {
        SQInteger x = _integer(a), y = _integer(b);
        SQUnsignedInteger ux = (SQUnsignedInteger)x, uy = (SQUnsignedInteger)y;
        switch (op) {
            case '+':
                trg = SQObjectPtr((SQInteger)(ux + uy));
                return true;
            case '-':
                trg = SQObjectPtr((SQInteger)(ux - uy));
                return true;
            case '*':
                trg = SQObjectPtr((SQInteger)(ux * uy));
                return true;
            case '/':
                if (y == 0) {
                    Raise_Error("division by zero");
                    return false;
                }
                // The one quotient that does not fit wraps around.
                trg = SQObjectPtr(y == -1 ? (SQInteger)(0 - ux) : x / y);
                return true;
            case '%':
                if (y == 0) {
                    Raise_Error("modulo by zero");
                    return false;
                }
                trg = SQObjectPtr(y == -1 ? (SQInteger)0 : x % y);
                return true;
        }
    }
    if ((sq_type(a) & SQOBJECT_NUMERIC) && (sq_type(b) & SQOBJECT_NUMERIC)) {
        SQFloat x = sq_tofloat(a), y = sq_tofloat(b);
        switch (op) {
            case '+':
                trg = SQObjectPtr(x + y);
                return true;
            case '-':
                trg = SQObjectPtr(x - y);
                return true;
            case '*':
                trg = SQObjectPtr(x * y);
                return true;
            case '/':
                trg = SQObjectPtr(x / y);
                return true;
            case '%':
                trg = SQObjectPtr(fmodf(x, y));
                return true;
        }
    }
    if (op == '+' && (sq_type(a) == OT_STRING || sq_type(b) == OT_STRING)) return StringCat(a, b, trg);
    SQMetaMethod mm;
    switch (op) {
        case '+':
            mm = MT_ADD;
            break;
        case '-':
            mm = MT_SUB;
            break;
        case '*':
            mm = MT_MUL;
            break;
        case '/':
            mm = MT_DIV;
            break;
        default:
            mm = MT_MODULO;
            break;
    }
    SQObjectPtr closure;
    if (GetMetaMethod(a, mm, closure)) {
        Push(a);
        Push(b);
        return CallMetaMethod(closure, 2, trg);
    }
    Raise_Error("arith op %c on between '%s' and '%s'", (int)op, sq_typename(a), sq_typename(b));
    return false;
}

bool SQVM::BitOp(SQInteger op, SQObjectPtr& trg, const SQObject& a, const SQObject& b)
{
    if (sq_type(a) != OT_INTEGER || sq_type(b) != OT_INTEGER) {
        Raise_Error("bitwise op between '%s' and '%s'", sq_typename(a), sq_typename(b));
        return false;
    }
    SQInteger x = _integer(a), y = _integer(b);
    SQUnsignedInteger ux = (SQUnsignedInteger)x;
    // Shift counts are taken modulo 64, as the hardware does.
    int sh = (int)(y & 63);
    switch (op) {
        case OP_BITAND:
            trg = SQObjectPtr(x & y);
            break;
        case OP_BITOR:
            trg = SQObjectPtr(x | y);
            break;
        case OP_BITXOR:
            trg = SQObjectPtr(x ^ y);
            break;
        case OP_SHL:
            trg = SQObjectPtr((SQInteger)(ux << sh));
            break;
        case OP_SHR:
            trg = SQObjectPtr(x >> sh);
            break;
        default:
            trg = SQObjectPtr((SQInteger)(ux >> sh));
            break;
    }
    return true;
}

bool SQVM::Negate(SQObjectPtr& trg, const SQObject& o)
{
    switch (sq_type(o)) {
        case OT_INTEGER:
            trg = SQObjectPtr((SQInteger)(0 - (SQUnsignedInteger)_integer(o)));
            return true;
        case OT_FLOAT:
            trg = SQObjectPtr(-_float(o));
            return true;
        default:
            break;
    }
    SQObjectPtr closure;
    if (GetMetaMethod(o, MT_UNM, closure)) {
        Push(o);
        return CallMetaMethod(closure, 1, trg);
    }
    Raise_Error("attempt to negate a %s", sq_typename(o));
    return false;
}

// --- comparison --------------------------------------------------------------------

bool SQVM::ObjCmp(const SQObject& a, const SQObject& b, SQInteger& res)
{
    SQObjectType ta = sq_type(a), tb = sq_type(b);
    if (ta == tb) {
        switch (ta) {
            case OT_INTEGER:
                res = _integer(a) < _integer(b) ? -1 : _integer(a) > _integer(b) ? 1 : 0;
                return true;
            case OT_FLOAT:
                res = _float(a) < _float(b) ? -1 : _float(a) > _float(b) ? 1 : 0;
                return true;
            case OT_STRING: {
                SQString *x = _string(a), *y = _string(b);
                SQInteger n = x->_len < y->_len ? x->_len : y->_len;
                int c = memcmp(x->_val, y->_val, (size_t)n);
                if (c == 0) c = x->_len < y->_len ? -1 : x->_len > y->_len ? 1 : 0;
                res = c < 0 ? -1 : c > 0 ? 1 : 0;
                return true;
            }
            case OT_NULL:
                res = 0;
                return true;
            case OT_BOOL:
                res = _integer(a) < _integer(b) ? -1 : _integer(a) > _integer(b) ? 1 : 0;
                return true;
            case OT_TABLE:
            case OT_USERDATA:
            case OT_INSTANCE: {
                SQObjectPtr closure;
                if (GetMetaMethod(a, MT_CMP, closure)) {
                    SQObjectPtr ret;
                    Push(a);
                    Push(b);
                    if (!CallMetaMethod(closure, 2, ret)) return false;
                    if (sq_type(ret) != OT_INTEGER) {
                        Raise_Error("_cmp must return an integer");
                        return false;
                    }
                    res = _integer(ret);
                    return true;
                }
                break;
            }
            default:
                break;
        }
        // Other values of one type order by identity.
        res = _rawval(a) == _rawval(b) ? 0 : _rawval(a) < _rawval(b) ? -1 : 1;
        return true;
    }
    if ((ta & SQOBJECT_NUMERIC) && (tb & SQOBJECT_NUMERIC)) {
        double x = ta == OT_INTEGER ? (double)_integer(a) : (double)_float(a);
        double y = tb == OT_INTEGER ? (double)_integer(b) : (double)_float(b);
        res = x < y ? -1 : x > y ? 1 : 0;
        return true;
    }
    if (ta == OT_NULL) {
        res = -1;
        return true;
    }
    if (tb == OT_NULL) {
        res = 1;
        return true;
    }
    Raise_CompareError(a, b);
    return false;
}

bool SQVM::CmpOp(SQInteger op, const SQObject& a, const SQObject& b, bool& res)
{
    if (op == OP_EQ || op == OP_NE) {
        res = IsEqual(a, b) == (op == OP_EQ);
        return true;
    }
    SQInteger c;
    if (!ObjCmp(a, b, c)) return false;
    switch (op) {
        case OP_LT:
            res = c < 0;
            break;
        case OP_LE:
            res = c <= 0;
            break;
        case OP_GT:
            res = c > 0;
            break;
        default:
            res = c >= 0;
            break;
    }
    return true;
}

bool SQVM::IsEqual(const SQObject& a, const SQObject& b)
{
    if (sq_type(a) == sq_type(b)) {
        if (sq_type(a) == OT_FLOAT) return _float(a) == _float(b);
        return _rawval(a) == _rawval(b);
    }
    if ((sq_type(a) & SQOBJECT_NUMERIC) && (sq_type(b) & SQOBJECT_NUMERIC)) {
        double x = sq_type(a) == OT_INTEGER ? (double)_integer(a) : (double)_float(a);
        double y = sq_type(b) == OT_INTEGER ? (double)_integer(b) : (double)_float(b);
        return x == y;
    }
    return false;
}

// --- conversions --------------------------------------------------------------------

bool SQVM::ToString(const SQObject& o, SQObjectPtr& res)
{
    char buf[96];
    switch (sq_type(o)) {
        case OT_STRING:
            res = o;
            return true;
        case OT_INTEGER:
        case OT_FLOAT:
            sq_numtostr(o, buf, sizeof buf);
            res = ss()->StringObj(buf);
            return true;
        case OT_BOOL:
            res = ss()->StringObj(_integer(o) ? "true" : "false");
            return true;
        case OT_NULL:
            res = ss()->StringObj("null");
            return true;
        case OT_TABLE:
        case OT_USERDATA:
        case OT_INSTANCE: {
            SQObjectPtr closure;
            if (GetMetaMethod(o, MT_TOSTRING, closure)) {
                Push(o);
                if (!CallMetaMethod(closure, 1, res)) return false;
                if (sq_type(res) == OT_STRING) return true;
            }
            break;
        }
        default:
            break;
    }
    snprintf(buf, sizeof buf, "(%s : 0x%016" PRIx64 ")", sq_typename(o), (uint64_t)_rawval(o));
    res = ss()->StringObj(buf);
    return true;
}

bool SQVM::StringCat(const SQObject& a, const SQObject& b, SQObjectPtr& dest)
{
    SQObjectPtr sa, sb;
    if (!ToString(a, sa) || !ToString(b, sb)) return false;
    SQString *x = _string(sa), *y = _string(sb);
    try {
        std::string joined;
        joined.reserve((size_t)(x->_len + y->_len));
        joined.append(x->_val, (size_t)x->_len);
        joined.append(y->_val, (size_t)y->_len);
        dest = ss()->StringObj(joined.data(), (SQInteger)joined.size());
    } catch (const std::bad_alloc&) {
        Raise_Error("out of memory");
        return false;
    } catch (const std::length_error&) {
        Raise_Error("out of memory");
        return false;
    }
    return true;
}

bool SQVM::TypeOf(const SQObject& o, SQObjectPtr& res)
{
    SQObjectPtr closure;
    if (GetMetaMethod(o, MT_TYPEOF, closure)) {
        Push(o);
        return CallMetaMethod(closure, 1, res);
    }
    res = ss()->StringObj(sq_typename(o));
    return true;
}

bool SQVM::Clone(const SQObject& self, SQObjectPtr& target)
{
    switch (sq_type(self)) {
        case OT_TABLE:
            target = SQObjectPtr(_table(self)->Clone());
            break;
        case OT_INSTANCE:
            target = SQObjectPtr(_instance(self)->Clone(ss()));
            break;
        case OT_ARRAY:
            target = SQObjectPtr(_array(self)->Clone());
            return true;
        default:
            Raise_Error("cloning a %s", sq_typename(self));
            return false;
    }
    SQObjectPtr closure;
    if (GetMetaMethod(target, MT_CLONED, closure)) {
        SQObjectPtr ret;
        Push(target);
        Push(self);
        return CallMetaMethod(closure, 2, ret);
    }
    return true;
}

// --- iteration ----------------------------------------------------------------------

bool SQVM::ForeachNext(const SQObject& container, SQObjectPtr& iter, SQObjectPtr& key, SQObjectPtr& val, bool& done)
{
    done = false;
    SQInteger pos = sq_type(iter) == OT_INTEGER ? _integer(iter) : 0;
    switch (sq_type(container)) {
        case OT_TABLE: {
            SQTable* t = _table(container);
            SQInteger i = t->NextEntry(pos);
            if (i < 0) {
                done = true;
                return true;
            }
            key = t->_entries[i].key;
            val = sq_realval(t->_entries[i].val);
            iter = SQObjectPtr(i + 1);
            return true;
        }
        case OT_ARRAY: {
            SQArray* a = _array(container);
            if (pos >= a->Size()) {
                done = true;
                return true;
            }
            key = SQObjectPtr(pos);
            val = sq_realval(a->_values[pos]);
            iter = SQObjectPtr(pos + 1);
            return true;
        }
        case OT_STRING: {
            SQString* s = _string(container);
            if (pos >= s->_len) {
                done = true;
                return true;
            }
            key = SQObjectPtr(pos);
            val = SQObjectPtr((SQInteger)(unsigned char)s->_val[pos]);
            iter = SQObjectPtr(pos + 1);
            return true;
        }
        case OT_CLASS: {
            SQInteger next = _class(container)->Next(pos, key, val);
            if (next < 0)
                done = true;
            else
                iter = SQObjectPtr(next);
            return true;
        }
        case OT_INSTANCE:
        case OT_USERDATA: {
            SQObjectPtr closure;
            if (GetMetaMethod(container, MT_NEXTI, closure)) {
                SQObjectPtr next;
                Push(container);
                Push(iter);
                if (!CallMetaMethod(closure, 2, next)) return false;
                if (sq_type(next) == OT_NULL) {
                    done = true;
                    return true;
                }
                if (!Get(container, next, val, false)) return false;
                key = next;
                iter = next;
                return true;
            }
            if (sq_type(container) == OT_INSTANCE && _instance(container)->_class) {
                SQInstance* inst = _instance(container);
                SQInteger next = inst->_class->Next(pos, key, val);
                if (next < 0) {
                    done = true;
                    return true;
                }
                inst->Get(key, val);
                iter = SQObjectPtr(next);
                return true;
            }
            break;
        }
        default:
            break;
    }
    Raise_Error("cannot iterate %s", sq_typename(container));
    return false;
}
