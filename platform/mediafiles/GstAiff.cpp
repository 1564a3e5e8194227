#include "platform/mediafiles/GstAiff.h"

namespace eggtimer::gst {

namespace {

void release(GstElement* element) {
    if (element) {
        gst_object_ref_sink(element);
        gst_object_unref(element);
    }
}

} // namespace

bool aiffParserAvailable() {
    // Ranked none means hidden on purpose: honour that as decodebin would.
    GstElementFactory* factory = gst_element_factory_find("aiffparse");
    if (!factory)
        return false;
    const bool ranked = gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)) > GST_RANK_NONE;
    gst_object_unref(factory);
    return ranked;
}

GstElement* makeAiffPipeline(const std::string& path, GstElement* sink) {
    if (!sink) {
        release(sink);
        return nullptr;
    }
    GstElement* elements[] = {gst_element_factory_make("filesrc", nullptr),
                              gst_element_factory_make("aiffparse", nullptr),
                              gst_element_factory_make("audioconvert", nullptr),
                              gst_element_factory_make("audioresample", nullptr), sink};
    bool complete = true;
    for (GstElement* element : elements)
        complete = complete && element;
    if (!complete) {
        for (GstElement* element : elements)
            release(element);
        return nullptr;
    }
    g_object_set(elements[0], "location", path.c_str(), nullptr);
    GstElement* pipeline = gst_pipeline_new(nullptr);
    for (GstElement* element : elements)
        gst_bin_add(GST_BIN(pipeline), element);
    // aiffparse's source pad is always there: every link is made here, in
    // the NULL state, so no buffer can meet an unlinked pad.
    for (std::size_t i = 0; i + 1 < std::size(elements); ++i) {
        if (!gst_element_link(elements[i], elements[i + 1])) {
            gst_object_unref(pipeline);
            return nullptr;
        }
    }
    return pipeline;
}

std::optional<GstClockTime> aiffLength(const std::string& path, GstClockTime limit) {
    GstElement* pipeline = makeAiffPipeline(path, gst_element_factory_make("fakesink", nullptr));
    if (!pipeline)
        return std::nullopt;
    std::optional<GstClockTime> length;
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    // A damaged file posts an error and never prerolls: wait for either.
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* outcome =
        gst_bus_timed_pop_filtered(bus, limit, GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
    gint64 duration = 0;
    if (outcome && GST_MESSAGE_TYPE(outcome) == GST_MESSAGE_ASYNC_DONE &&
        gst_element_query_duration(pipeline, GST_FORMAT_TIME, &duration) && duration > 0)
        length = GstClockTime(duration);
    if (outcome)
        gst_message_unref(outcome);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return length;
}

} // namespace eggtimer::gst
