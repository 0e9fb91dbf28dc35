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

std::string cesu8_as_gbk(const char* text, std::size_t length) {
    auto units = decode_code_page(std::string_view(text, length), code_page_cesu8);
    return units ? encode_code_page(*units, code_page_gbk).value_or(std::string()) : std::string();
}

bool speaks_jscript(const automation_object::engine& e) { return same_name(e.language, "JScript"); }

// What one engine call works on. Every engine operation that can raise an
// error (evaluating, reading a property, calling, converting the result) runs
// inside duk_safe_call, so an error ends the call instead of reaching the
// engine's fatal handler, which aborts the program. An error unwinds the safe
// call without C++ destructors, so the frame holds plain pointers only.
struct engine_call {
    bool run = false;                        // Run: call a global function; else evaluate `text`
    std::string_view text;                   // the source, or the function's name (UTF-8)
    const std::string* arguments = nullptr;  // Run's arguments, UTF-8
    std::size_t argument_count = 0;
    bool as_number = false;                  // leave a number, else a string or undefined
};

duk_ret_t carry_out(duk_context* ctx, void* data) {
    const auto* call = static_cast<const engine_call*>(data);
    if (call->run) {
        duk_push_global_object(ctx);
        duk_get_prop_lstring(ctx, -1, call->text.data(), call->text.size());
        if (!duk_is_function(ctx, -1)) return DUK_RET_TYPE_ERROR;
        duk_require_stack(ctx, static_cast<duk_idx_t>(call->argument_count));
        for (std::size_t k = 0; k < call->argument_count; ++k) {
            duk_push_lstring(ctx, call->arguments[k].data(), call->arguments[k].size());
        }
        duk_call(ctx, static_cast<duk_idx_t>(call->argument_count));
    } else {
        duk_eval_lstring(ctx, call->text.data(), call->text.size());
    }
    if (call->as_number) {
        duk_to_number(ctx, -1);
    } else if (!duk_is_undefined(ctx, -1)) {
        duk_to_string(ctx, -1);
    }
    return 1;
}

// Carries out `method` and hands its result to `take` (a number, a string or
// undefined on the top of the stack); false when the call failed. After the
// safe call only reads that cannot raise an error touch the stack.
template <class Take>
bool call_method(automation_object::engine& e, std::string_view method, const std::vector<std::string>& arguments,
                 bool as_number, Take take) {
    if (!speaks_jscript(e)) return false;
    engine_call call;
    call.as_number = as_number;
    std::string text;
    std::vector<std::string> utf8_arguments;
    if (same_name(method, "ExecuteStatement")) {
        text = arguments.empty() ? std::string() : convert_gbk_to_utf8(arguments[0]);
    } else if (same_name(method, "Run")) {
        if (arguments.empty()) return false;
        call.run = true;
        text = convert_gbk_to_utf8(arguments[0]);
        for (std::size_t k = 1; k < arguments.size(); ++k) utf8_arguments.push_back(convert_gbk_to_utf8(arguments[k]));
        call.arguments = utf8_arguments.data();
        call.argument_count = utf8_arguments.size();
    } else {
        return false;
    }
    call.text = text;
    duk_context* ctx = e.context;
    if (!duk_check_stack(ctx, 1)) return false;
    bool ok = duk_safe_call(ctx, carry_out, &call, 0, 1) == DUK_EXEC_SUCCESS;
    if (ok) take(ctx);
    duk_pop(ctx);
    return ok;
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
    double result = 0;
    call_method(*e, method, arguments, true, [&](duk_context* ctx) { result = duk_get_number(ctx, -1); });
    return result;
}

std::string object_call_text(automation_object& object, std::string_view method, const std::vector<std::string>& arguments,
                             bool* succeeded) {
    automation_object::engine* e = object.get();
    if (succeeded != nullptr) *succeeded = false;
    if (e == nullptr) return {};
    std::string result;
    bool ok = call_method(*e, method, arguments, false, [&](duk_context* ctx) {
        duk_size_t length = 0;
        if (const char* text = duk_get_lstring(ctx, -1, &length)) result = cesu8_as_gbk(text, length);
    });
    if (succeeded != nullptr) *succeeded = ok;
    return result;
}

void object_release(automation_object& variable) { variable.reset(nullptr); }

}  // namespace common
