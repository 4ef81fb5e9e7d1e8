#include "app/jsonl/jsonl_session.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace wobbet {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kRequestForms =
    R"(; a request is one of {"say": TEXT}, {"teach": {"phrase": TEXT, "reply": TEXT}}, )"
    R"({"context": true or false}, {"learn": true or false}, {"forget": true}, {"merge": FILE})";

// Text from the knowledge file need not be valid UTF-8; what is not is written as U+FFFD.
std::string Written(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool IsTeachPair(const Json& value) {
    return value.is_object() && value.size() == 2 && value.value("phrase", Json()).is_string() &&
           value.value("reply", Json()).is_string();
}

}  // namespace

int JsonlSession::Run(std::uint32_t seed) {
    if (!core_.Start(seed)) {
        return 1;
    }
    while (const std::optional<std::string> line = autosave_.NextLine()) {
        Handle(*line);
    }
    core_.Core().Shutdown();
    return 0;
}

void JsonlSession::Handle(const std::string& line) {
    Json request;
    try {
        request = Json::parse(line);
    } catch (const Json::parse_error& error) {
        Answer("error", error.what());
        return;
    }
    if (!request.is_object() || request.size() != 1) {
        Answer("error", "not a request: " + Written(request) + std::string(kRequestForms));
        return;
    }
    // The member's key and value live in the request itself.
    const std::string& name = request.begin().key();
    const Json& value = request.begin().value();
    if (name == "say" && value.is_string()) {
        core_.Say(value.get<std::string>());
    } else if (name == "teach" && IsTeachPair(value)) {
        core_.Teach(value["phrase"].get<std::string>(), value["reply"].get<std::string>());
    } else if (name == "context" && value.is_boolean()) {
        core_.SetContextEnabled(value.get<bool>());
    } else if (name == "learn" && value.is_boolean()) {
        core_.Core().SetLearningEnabled(value.get<bool>());
    } else if (name == "forget" && value == true) {
        core_.Core().ForgetLastLesson();
    } else if (name == "merge" && value.is_string() && !value.get<std::string>().empty()) {
        core_.Core().MergeKnowledgeFile(value.get<std::string>());
    } else {
        Answer("error", "not a request: " + Written(request) + std::string(kRequestForms));
    }
}

void JsonlSession::Answer(std::string_view key, const std::string& text) {
    Json answer;
    answer[std::string(key)] = text;
    out_ << Written(answer) << '\n';
    out_.flush();
}

}  // namespace wobbet
