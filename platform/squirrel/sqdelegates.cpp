// sqdelegates.cpp -- default delegates of numbers, strings, tables, classes,
// instances, generators and weak references.
#include <cctype>
#include <string>

#include "platform/squirrel/sqapi.h"
#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqdelegates.h"
#include "platform/squirrel/sqtable.h"

bool sq_callback(HSQUIRRELVM v, const SQObject& fn, const SQObject* args, SQInteger nargs, SQObjectPtr& ret)
{
    SQObjectPtr f(fn);
    SQInteger top = v->_top;
    v->Push(f);
    v->Push(v->_roottable);
    for (SQInteger i = 0; i < nargs; i++) v->Push(args[i]);
    bool ok = v->Call(f, nargs + 1, top + 1, ret, true);
    while (v->_top > top) v->Pop();
    return ok;
}

SQInteger sq_callbackarity(const SQObject& fn)
{
    if (sq_type(fn) == OT_CLOSURE) {
        SQFunctionProto* p = _closure(fn)->proto();
        return p->_varparams ? 3 : p->_nparams - 1;
    }
    if (sq_type(fn) == OT_NATIVECLOSURE) {
        SQInteger n = _nativeclosure(fn)->_nparamscheck;
        return n > 0 ? n - 1 : n < 0 ? 3 : 1;
    }
    return 1;
}

SQInteger sq_default_weakref(HSQUIRRELVM v)
{
    sq_weakref(v, 1);
    return 1;
}

SQInteger sq_default_tostring(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_tostring(v, 1)) ? 1 : SQ_ERROR; }

bool sq_slicerange(HSQUIRRELVM v, SQInteger len, SQInteger& start, SQInteger& end)
{
    sq_getinteger(v, 2, &start);
    end = len;
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &end);
    if (start < 0) start += len;
    if (end < 0) end += len;
    if (end < start) {
        sq_throwerror(v, "wrong indexes");
        return false;
    }
    if (start < 0 || end > len) {
        sq_throwerror(v, "slice out of range");
        return false;
    }
    return true;
}

namespace {

// --- numbers and bools ---------------------------------------------------------------

SQInteger number_tofloat(HSQUIRRELVM v)
{
    const SQObjectPtr& o = sq_stackobj(v, 1);
    sq_pushfloat(v, sq_type(o) == OT_BOOL ? (_integer(o) ? 1.0f : 0.0f) : sq_tofloat(o));
    return 1;
}

SQInteger number_tointeger(HSQUIRRELVM v)
{
    const SQObjectPtr& o = sq_stackobj(v, 1);
    sq_pushinteger(v, sq_type(o) == OT_BOOL ? (_integer(o) ? 1 : 0) : sq_tointeger(o));
    return 1;
}

SQInteger number_tochar(HSQUIRRELVM v)
{
    const SQObjectPtr& o = sq_stackobj(v, 1);
    SQChar c = (SQChar)(sq_type(o) == OT_BOOL ? _integer(o) : sq_tointeger(o));
    sq_pushstring(v, &c, 1);
    return 1;
}

// --- strings -------------------------------------------------------------------------

SQInteger string_len(HSQUIRRELVM v)
{
    sq_pushinteger(v, _string(sq_stackobj(v, 1))->_len);
    return 1;
}

SQInteger string_tointeger(HSQUIRRELVM v)
{
    SQString* s = _string(sq_stackobj(v, 1));
    SQInteger base = 10;
    if (sq_gettop(v) > 1) sq_getinteger(v, 2, &base);
    if (base < 2 || base > 36) return sq_throwerror(v, "invalid base");
    SQObjectPtr res;
    if (!sq_str2num(s->_val, s->_len, res, base)) return sq_throwerror(v, "cannot convert the string");
    sq_pushinteger(v, sq_tointeger(res));
    return 1;
}

SQInteger string_tofloat(HSQUIRRELVM v)
{
    SQString* s = _string(sq_stackobj(v, 1));
    SQObjectPtr res;
    if (!sq_str2num(s->_val, s->_len, res, 10)) return sq_throwerror(v, "cannot convert the string");
    sq_pushfloat(v, sq_tofloat(res));
    return 1;
}

SQInteger string_slice(HSQUIRRELVM v)
{
    SQString* s = _string(sq_stackobj(v, 1));
    SQInteger start, end;
    if (!sq_slicerange(v, s->_len, start, end)) return SQ_ERROR;
    sq_pushstring(v, s->_val + start, end - start);
    return 1;
}

SQInteger string_find(HSQUIRRELVM v)
{
    SQString* s = _string(sq_stackobj(v, 1));
    SQString* sub = _string(sq_stackobj(v, 2));
    SQInteger start = 0;
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &start);
    if (start < 0) start = 0;
    if (start > s->_len) {
        sq_pushnull(v);
        return 1;
    }
    std::string hay(s->_val, (size_t)s->_len);
    size_t pos = hay.find(std::string(sub->_val, (size_t)sub->_len), (size_t)start);
    if (pos == std::string::npos)
        sq_pushnull(v);
    else
        sq_pushinteger(v, (SQInteger)pos);
    return 1;
}

SQInteger string_case(HSQUIRRELVM v, bool upper)
{
    SQString* s = _string(sq_stackobj(v, 1));
    std::string out(s->_val, (size_t)s->_len);
    for (char& c : out) c = (char)(upper ? toupper((unsigned char)c) : tolower((unsigned char)c));
    sq_pushstring(v, out.data(), (SQInteger)out.size());
    return 1;
}
SQInteger string_toupper(HSQUIRRELVM v) { return string_case(v, true); }
SQInteger string_tolower(HSQUIRRELVM v) { return string_case(v, false); }

// --- tables --------------------------------------------------------------------------

SQInteger table_len(HSQUIRRELVM v)
{
    sq_pushinteger(v, _table(sq_stackobj(v, 1))->CountUsed());
    return 1;
}

SQInteger obj_rawget(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_rawget(v, 1)) ? 1 : SQ_ERROR; }

SQInteger obj_rawset(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_rawset(v, 1))) return SQ_ERROR;
    sq_push(v, 1);
    return 1;
}

SQInteger obj_rawin(HSQUIRRELVM v)
{
    SQObjectPtr self(sq_stackobj(v, 1)), key(sq_stackobj(v, 2)), tmp;
    sq_pushbool(v, v->Get(self, key, tmp, true, false));
    return 1;
}

SQInteger table_rawdelete(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_rawdeleteslot(v, 1, SQTrue)) ? 1 : SQ_ERROR; }

SQInteger table_clear(HSQUIRRELVM v)
{
    _table(sq_stackobj(v, 1))->Clear();
    sq_push(v, 1);
    return 1;
}

SQInteger table_setdelegate(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_setdelegate(v, 1))) return SQ_ERROR;
    sq_push(v, 1);
    return 1;
}

SQInteger table_getdelegate(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getdelegate(v, 1)) ? 1 : SQ_ERROR; }

SQInteger table_filter(HSQUIRRELVM v)
{
    SQObjectPtr self(sq_stackobj(v, 1)), fn(sq_stackobj(v, 2));
    SQTable* src = _table(self);
    SQObjectPtr result(SQTable::Create(v->ss()));
    for (SQInteger i = src->NextEntry(0); i >= 0; i = src->NextEntry(i + 1)) {
        SQObject args[2] = {src->_entries[i].key, sq_realval(src->_entries[i].val)};
        SQObjectPtr key(args[0]), val(args[1]), ret;
        if (!sq_callback(v, fn, args, 2, ret)) return SQ_ERROR;
        if (!sq_isfalse(ret)) _table(result)->NewSlot(key, val);
    }
    v->Push(result);
    return 1;
}

SQInteger table_keysvalues(HSQUIRRELVM v, bool keys)
{
    SQTable* t = _table(sq_stackobj(v, 1));
    SQArray* a = SQArray::Create(v->ss(), 0);
    SQObjectPtr ref(a);
    for (SQInteger i = t->NextEntry(0); i >= 0; i = t->NextEntry(i + 1))
        a->Append(keys ? (const SQObject&)t->_entries[i].key : sq_realval(t->_entries[i].val));
    v->Push(ref);
    return 1;
}
SQInteger table_keys(HSQUIRRELVM v) { return table_keysvalues(v, true); }
SQInteger table_values(HSQUIRRELVM v) { return table_keysvalues(v, false); }

// --- classes and instances -------------------------------------------------------------

SQInteger class_getattributes(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getattributes(v, 1)) ? 1 : SQ_ERROR; }
SQInteger class_setattributes(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_setattributes(v, 1)) ? 1 : SQ_ERROR; }
SQInteger class_instance(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_createinstance(v, 1)) ? 1 : SQ_ERROR; }
SQInteger class_getbase(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getbase(v, 1)) ? 1 : SQ_ERROR; }

SQInteger class_newmember_impl(HSQUIRRELVM v, bool raw)
{
    SQInteger top = sq_gettop(v);
    bool bstatic = false;
    if (top > 4) {
        SQBool b = SQFalse;
        sq_tobool(v, 5, &b);
        bstatic = b != 0;
    }
    while (sq_gettop(v) < 4) sq_pushnull(v);
    sq_settop(v, 4);
    SQRESULT r = raw ? sq_rawnewmember(v, 1, bstatic) : sq_newmember(v, 1, bstatic);
    return SQ_SUCCEEDED(r) ? 0 : SQ_ERROR;
}
SQInteger class_newmember(HSQUIRRELVM v) { return class_newmember_impl(v, false); }
SQInteger class_rawnewmember(HSQUIRRELVM v) { return class_newmember_impl(v, true); }

SQInteger instance_getclass(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getclass(v, 1)) ? 1 : SQ_ERROR; }

// --- generators and weak references ------------------------------------------------------

SQInteger generator_getstatus(HSQUIRRELVM v)
{
    switch (_generator(sq_stackobj(v, 1))->_state) {
        case SQGenerator::eSuspended:
            sq_pushstring(v, "suspended", -1);
            break;
        case SQGenerator::eRunning:
            sq_pushstring(v, "running", -1);
            break;
        case SQGenerator::eDead:
            sq_pushstring(v, "dead", -1);
            break;
    }
    return 1;
}

SQInteger weakref_ref(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getweakrefval(v, 1)) ? 1 : SQ_ERROR; }

}  // namespace

const SQRegFunction sq_number_delegate_funcs[] = {
    {"tointeger", number_tointeger, 1, "n|b"},   {"tofloat", number_tofloat, 1, "n|b"},
    {"tostring", sq_default_tostring, 1, "."},   {"tochar", number_tochar, 1, "n|b"},
    {"weakref", sq_default_weakref, 1, nullptr}, {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_string_delegate_funcs[] = {{"len", string_len, 1, "s"},
                                                  {"tointeger", string_tointeger, -1, "sn"},
                                                  {"tofloat", string_tofloat, 1, "s"},
                                                  {"tostring", sq_default_tostring, 1, "."},
                                                  {"slice", string_slice, -2, "snn"},
                                                  {"find", string_find, -2, "ssn"},
                                                  {"tolower", string_tolower, 1, "s"},
                                                  {"toupper", string_toupper, 1, "s"},
                                                  {"weakref", sq_default_weakref, 1, nullptr},
                                                  {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_table_delegate_funcs[] = {{"len", table_len, 1, "t"},
                                                 {"rawget", obj_rawget, 2, "t"},
                                                 {"rawset", obj_rawset, 3, "t"},
                                                 {"rawdelete", table_rawdelete, 2, "t"},
                                                 {"rawin", obj_rawin, 2, "t"},
                                                 {"weakref", sq_default_weakref, 1, nullptr},
                                                 {"tostring", sq_default_tostring, 1, "."},
                                                 {"clear", table_clear, 1, "t"},
                                                 {"setdelegate", table_setdelegate, 2, ".t|o"},
                                                 {"getdelegate", table_getdelegate, 1, "."},
                                                 {"filter", table_filter, 2, "tc"},
                                                 {"keys", table_keys, 1, "t"},
                                                 {"values", table_values, 1, "t"},
                                                 {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_class_delegate_funcs[] = {{"getattributes", class_getattributes, 2, "y."},
                                                 {"setattributes", class_setattributes, 3, "y.."},
                                                 {"rawget", obj_rawget, 2, "y"},
                                                 {"rawset", obj_rawset, 3, "y"},
                                                 {"rawin", obj_rawin, 2, "y"},
                                                 {"weakref", sq_default_weakref, 1, nullptr},
                                                 {"tostring", sq_default_tostring, 1, "."},
                                                 {"instance", class_instance, 1, "y"},
                                                 {"getbase", class_getbase, 1, "y"},
                                                 {"newmember", class_newmember, -3, "y"},
                                                 {"rawnewmember", class_rawnewmember, -3, "y"},
                                                 {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_instance_delegate_funcs[] = {{"getclass", instance_getclass, 1, "x"},
                                                    {"rawget", obj_rawget, 2, "x"},
                                                    {"rawset", obj_rawset, 3, "x"},
                                                    {"rawin", obj_rawin, 2, "x"},
                                                    {"weakref", sq_default_weakref, 1, nullptr},
                                                    {"tostring", sq_default_tostring, 1, "."},
                                                    {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_generator_delegate_funcs[] = {{"getstatus", generator_getstatus, 1, "g"},
                                                     {"weakref", sq_default_weakref, 1, nullptr},
                                                     {"tostring", sq_default_tostring, 1, "."},
                                                     {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_weakref_delegate_funcs[] = {{"ref", weakref_ref, 1, "r"},
                                                   {"weakref", sq_default_weakref, 1, nullptr},
                                                   {"tostring", sq_default_tostring, 1, "."},
                                                   {nullptr, nullptr, 0, nullptr}};
