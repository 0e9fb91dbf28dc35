// The script-engine object ("ScriptControl") on Duktape.
//
// Statements go in as GBK and are handed to the engine as UTF-8; results come
// back from the engine's strings (CESU-8: surrogates encoded one by one)
// through ICU's converter to UTF-16 and then to GBK.
#include <duktape.h>

#include <string>

#include "common/code_page.h"
#include "services/system_services.h"
#include "common/text_ops.h"

namespace common {

struct automation_object::engine {
    duk_context* context = nullptr;
    std::string language;

    engine() : context(duk_create_heap_default()) {}
    ~engine() {
        if (context != nullptr) duk_destroy_heap(context);
    }
    engine(const engine&) = delete;
    engine& operator=(const engine&) = delete;
};

automation_object::automation_object() = default;
automation_object::~automation_object() = default;
void automation_object::reset(std::unique_ptr<engine> replacement) { engine_ = std::move(replacement); }

namespace {

bool same_name(std::string_view a, std::string_view b) { return same_ignoring_case(a, b); }

std::string top_as_gbk(duk_context* ctx) {
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, -1, &length);
    auto units = decode_code_page(std::string_view(text, length), code_page_cesu8);
    return units ? encode_code_page(*units, code_page_gbk).value_or(std::string()) : std::string();
}

bool speaks_jscript(const automation_object::engine& e) { return same_name(e.language, "JScript"); }

// Calls `method` and leaves its result on the stack; false when the call
// failed (an error value is left instead).
bool call_method(automation_object::engine& e, std::string_view method, const std::vector<std::string>& arguments) {
    duk_context* ctx = e.context;
    if (!speaks_jscript(e)) {
        duk_push_undefined(ctx);
        return false;
    }
    if (same_name(method, "ExecuteStatement")) {
        std::string source = arguments.empty() ? std::string() : convert_gbk_to_utf8(arguments[0]);
        return duk_peval_lstring(ctx, source.data(), source.size()) == 0;
    }
    if (same_name(method, "Run")) {
        if (arguments.empty()) {
            duk_push_undefined(ctx);
            return false;
        }
        std::string name = convert_gbk_to_utf8(arguments[0]);
        duk_push_global_object(ctx);
        duk_get_prop_lstring(ctx, -1, name.data(), name.size());
        duk_remove(ctx, -2);
        if (!duk_is_function(ctx, -1)) {
            duk_pop(ctx);
            duk_push_undefined(ctx);
            return false;
        }
        for (std::size_t k = 1; k < arguments.size(); ++k) {
            std::string arg = convert_gbk_to_utf8(arguments[k]);
            duk_push_lstring(ctx, arg.data(), arg.size());
        }
        return duk_pcall(ctx, static_cast<duk_idx_t>(arguments.size() - 1)) == DUK_EXEC_SUCCESS;
    }
    duk_push_undefined(ctx);
    return false;
}

}  // namespace

bool object_create(automation_object& variable, std::string_view class_name) {
    if (!same_name(class_name, "ScriptControl")) return false;
    auto created = std::make_unique<automation_object::engine>();
    if (created->context == nullptr) return false;
    variable.reset(std::move(created));
    return true;
}

bool object_set_property(automation_object& object, std::string_view property, std::string_view value) {
    automation_object::engine* e = object.get();
    if (e == nullptr) return false;
    if (same_name(property, "Language")) {
        e->language = value;
        return true;
    }
    return false;
}

double object_call_number(automation_object& object, std::string_view method, const std::vector<std::string>& arguments) {
    automation_object::engine* e = object.get();
    if (e == nullptr) return 0;
    bool ok = call_method(*e, method, arguments);
    double result = ok ? duk_to_number(e->context, -1) : 0;
    duk_pop(e->context);
    return result;
}

std::string object_call_text(automation_object& object, std::string_view method, const std::vector<std::string>& arguments,
                             bool* succeeded) {
    automation_object::engine* e = object.get();
    if (succeeded != nullptr) *succeeded = false;
    if (e == nullptr) return {};
    bool ok = call_method(*e, method, arguments);
    if (succeeded != nullptr) *succeeded = ok;
    std::string result;
    if (ok && !duk_is_undefined(e->context, -1)) result = top_as_gbk(e->context);
    duk_pop(e->context);
    return result;
}

void object_release(automation_object& variable) { variable.reset(nullptr); }

}  // namespace common
