/*
 * Kavrin recorder module: control block, channel rings, packet encoding and host commands.
 * See kavrin.h for how to use it.
 */
#include "kavrin.h"

#include <stddef.h>

#if KAVRIN_UP_SIZE < 64 || KAVRIN_DOWN_SIZE < 4 || KAVRIN_TERMINAL_UP_SIZE < 2 ||                  \
    KAVRIN_TERMINAL_DOWN_SIZE < 2
#error "Kavrin: channel rings too small"
#endif
#if KAVRIN_MAX_LOG_ARGS < 2
#error "Kavrin: KAVRIN_MAX_LOG_ARGS must be 2 or more"
#endif
#if KAVRIN_MAX_TEXT < 16 || KAVRIN_MAX_TEXT > 0xFFFF
#error "Kavrin: KAVRIN_MAX_TEXT must lie between 16 and 65535"
#endif

/* Packet ids of the event stream. */
enum {
    ID_OVERFLOW = 1,
    ID_ISR_ENTER = 2,
    ID_ISR_EXIT = 3,
    ID_TASK_RUN = 4,
    ID_TASK_STOP = 5,
    ID_TASK_READY = 6,
    ID_TASK_BLOCK = 7,
    ID_TASK_CREATE = 8,
    ID_TASK_INFO = 9,
    ID_START = 10,
    ID_STOP = 11,
    ID_TIME_CYCLES = 12,
    ID_TIME_US = 13,
    ID_SYSTEM_DESCRIPTION = 14,
    ID_USER_START = 15,
    ID_USER_STOP = 16,
    ID_IDLE = 17,
    ID_ISR_EXIT_TO_SCHEDULER = 18,
    ID_TIMER_ENTER = 19,
    ID_TIMER_EXIT = 20,
    ID_STACK = 21,
    ID_MODULE_DESCRIPTION = 22,
    ID_SYSTEM_INFO = 24,
    ID_RESOURCE_NAME = 25,
    ID_LOG = 26,
    ID_MODULE_INFORMATION = 27,
    ID_API_END = 28
};

/* Host command bytes. */
enum {
    COMMAND_START = 1,
    COMMAND_STOP = 2,
    COMMAND_TIME = 3,
    COMMAND_TASK_LIST = 4,
    COMMAND_SYSTEM_DESCRIPTION = 5,
    COMMAND_MODULE_COUNT = 6,
    COMMAND_BETWEEN_DESCRIPTIONS = 7,
    COMMAND_MODULE_DESCRIPTION = 0x80
};

#define MAX_BLOCK 2048u /* the host rejects longer length-framed packets */
#define STRING_ESCAPE 255u
#define LEVEL_MASK 0xFFu
#define INDENT_SHIFT 8
#define TERMINAL 0
#define RECORDER 1

/* A channel descriptor as the host reads it. The target moves the write offset of an
   up-channel and the read offset of a down-channel; the host moves the other one. */
typedef struct {
    volatile uint32_t name;
    volatile uint32_t buffer;
    volatile uint32_t size;
    volatile uint32_t write_offset;
    volatile uint32_t read_offset;
    volatile uint32_t flags;
} channel_t;

/* The control block: identifier, channel counts, the up-channels, then the down-channels. */
typedef struct {
    volatile char identifier[16];
    volatile int32_t up_count;
    volatile int32_t down_count;
    channel_t up[2];
    channel_t down[2];
} control_block_t;

/* Everything the host reads or writes, in one area that starts with the control block. */
typedef struct {
    control_block_t block;
    char terminal_name[12];
    char recorder_name[8];
    uint8_t terminal_up[KAVRIN_TERMINAL_UP_SIZE];
    uint8_t terminal_down[KAVRIN_TERMINAL_DOWN_SIZE];
    uint8_t recorder_up[KAVRIN_UP_SIZE];
    uint8_t recorder_down[KAVRIN_DOWN_SIZE];
} area_t;

static area_t area KAVRIN_AREA_ATTRIBUTE;

static struct {
    const kavrin_system_t* system;
    const kavrin_module_t* modules[KAVRIN_MAX_MODULES];
    uint32_t module_count;
    volatile uint8_t recording;
    uint8_t start_pending; /* the Start packet did not fit yet */
    uint8_t overflow_pending;
    uint8_t module_request;  /* 0x80 seen, the module number comes next */
    uint32_t last_timestamp; /* of the last packet written */
    uint32_t produced;
    uint32_t dropped;
    volatile uint32_t current_task; /* 0 while idle */
} state;

/* One packet: id, then (length-framed or not) leading varints, an optional text, trailing
   varints and raw bytes, then the timestamp delta. Every packet class fits this shape. */
typedef struct {
    uint32_t id;
    uint8_t framed;
    uint8_t has_text;
    const uint32_t* head;
    uint32_t head_count;
    const char* text;
    uint32_t text_length;
    const uint32_t* tail;
    uint32_t tail_count;
    const uint8_t* raw;
    uint32_t raw_length;
} packet_t;

/* Where the next byte of an up-channel goes. */
typedef struct {
    uint8_t* base;
    uint32_t size;
    uint32_t at;
} cursor_t;

/* ---- Encoding --------------------------------------------------------------------------- */

static uint32_t varint_size(uint32_t value) {
    uint32_t size = 1;
    while (value >= 0x80u) {
        value >>= 7;
        ++size;
    }
    return size;
}

static uint32_t varints_size(const uint32_t* values, uint32_t count) {
    uint32_t size = 0;
    uint32_t i;
    for (i = 0; i < count; ++i)
        size += varint_size(values[i]);
    return size;
}

static uint32_t string_size(uint32_t length) {
    return (length < STRING_ESCAPE ? 1u : 3u) + length;
}

static uint32_t text_length(const char* text, uint32_t limit) {
    uint32_t length = 0;
    if (text == NULL)
        return 0;
    while (length < limit && text[length] != 0)
        ++length;
    return length;
}

static void put(cursor_t* cursor, uint8_t byte) {
    cursor->base[cursor->at] = byte;
    if (++cursor->at == cursor->size)
        cursor->at = 0;
}

static void put_varint(cursor_t* cursor, uint32_t value) {
    while (value >= 0x80u) {
        put(cursor, (uint8_t)(value | 0x80u));
        value >>= 7;
    }
    put(cursor, (uint8_t)value);
}

static void put_varints(cursor_t* cursor, const uint32_t* values, uint32_t count) {
    uint32_t i;
    for (i = 0; i < count; ++i)
        put_varint(cursor, values[i]);
}

static void put_string(cursor_t* cursor, const char* text, uint32_t length) {
    uint32_t i;
    if (length < STRING_ESCAPE) {
        put(cursor, (uint8_t)length);
    } else {
        put(cursor, (uint8_t)STRING_ESCAPE);
        put(cursor, (uint8_t)(length >> 8));
        put(cursor, (uint8_t)length);
    }
    for (i = 0; i < length; ++i)
        put(cursor, (uint8_t)text[i]);
}

static uint32_t body_size(const packet_t* packet) {
    return varints_size(packet->head, packet->head_count) +
           (packet->has_text ? string_size(packet->text_length) : 0u) +
           varints_size(packet->tail, packet->tail_count) + packet->raw_length;
}

static uint32_t packet_size(const packet_t* packet, uint32_t body, uint32_t delta) {
    return varint_size(packet->id) + (packet->framed ? varint_size(body) : 0u) + body +
           varint_size(delta);
}

static void put_packet(cursor_t* cursor, const packet_t* packet, uint32_t body, uint32_t delta) {
    uint32_t i;
    put_varint(cursor, packet->id);
    if (packet->framed)
        put_varint(cursor, body);
    put_varints(cursor, packet->head, packet->head_count);
    if (packet->has_text)
        put_string(cursor, packet->text, packet->text_length);
    put_varints(cursor, packet->tail, packet->tail_count);
    for (i = 0; i < packet->raw_length; ++i)
        put(cursor, packet->raw[i]);
    put_varint(cursor, delta);
}

/* ---- Rings ------------------------------------------------------------------------------ */

/* Free bytes of an up-channel; a read offset the host garbled reads as a full ring. */
static uint32_t ring_room(const channel_t* channel, uint32_t size) {
    const uint32_t write = channel->write_offset;
    const uint32_t read = channel->read_offset;
    if (read >= size || write >= size)
        return 0;
    return read > write ? read - write - 1u : size - 1u - (write - read);
}

static void ring_publish(channel_t* channel, const cursor_t* cursor) {
    KAVRIN_BARRIER(); /* the bytes first, then the offset that shows them */
    channel->write_offset = cursor->at;
}

static uint32_t ring_write(channel_t* channel, uint8_t* buffer, uint32_t size, const uint8_t* data,
                           uint32_t length) {
    cursor_t cursor;
    uint32_t i;
    const uint32_t room = ring_room(channel, size);
    if (length > room)
        length = room;
    cursor.base = buffer;
    cursor.size = size;
    cursor.at = channel->write_offset;
    for (i = 0; i < length; ++i)
        put(&cursor, data[i]);
    ring_publish(channel, &cursor);
    return length;
}

/* Bytes the host wrote into a down-channel; offsets the host garbled read as empty. */
static uint32_t ring_read(channel_t* channel, const uint8_t* buffer, uint32_t size, uint8_t* out,
                          uint32_t capacity) {
    const uint32_t write = channel->write_offset;
    uint32_t read = channel->read_offset;
    uint32_t count = 0;
    if (read >= size || write >= size)
        return 0;
    KAVRIN_BARRIER(); /* the offset first, then the bytes it shows */
    while (read != write && count < capacity) {
        out[count++] = buffer[read];
        if (++read == size)
            read = 0;
    }
    channel->read_offset = read;
    return count;
}

static uint32_t lock(void) {
    return kavrin_port_lock();
}

static void unlock(uint32_t saved) {
    kavrin_port_unlock(saved);
}

/* ---- Writing packets (inside the lock) -------------------------------------------------- */

static cursor_t recorder_cursor(void) {
    cursor_t cursor;
    cursor.base = area.recorder_up;
    cursor.size = KAVRIN_UP_SIZE;
    cursor.at = area.block.up[RECORDER].write_offset;
    return cursor;
}

static void drop(void) {
    ++state.dropped;
    state.overflow_pending = 1;
}

/* Writes the Overflow packet that is due, if there is room: whether none is due now. */
static int settle_overflow(uint32_t now) {
    uint32_t values[1];
    packet_t overflow = {ID_OVERFLOW, 0, 0, NULL, 1, NULL, 0, NULL, 0, NULL, 0};
    cursor_t cursor;
    uint32_t delta;
    if (!state.overflow_pending)
        return 1;
    values[0] = state.dropped;
    overflow.head = values;
    delta = now - state.last_timestamp;
    if (ring_room(&area.block.up[RECORDER], KAVRIN_UP_SIZE) <
        packet_size(&overflow, varint_size(state.dropped), delta))
        return 0;
    cursor = recorder_cursor();
    put_packet(&cursor, &overflow, varint_size(state.dropped), delta);
    ring_publish(&area.block.up[RECORDER], &cursor);
    state.last_timestamp = now;
    state.overflow_pending = 0;
    ++state.produced;
    return 1;
}

/* Writes one packet, after the Overflow packet that is due: 1, or 0 when it was dropped. */
static int emit(const packet_t* packet) {
    uint32_t now;
    uint32_t body;
    cursor_t cursor;
    if (!state.recording)
        return 0;
    now = kavrin_port_timestamp();
    body = body_size(packet);
    ++state.produced;
    if ((packet->framed && body > MAX_BLOCK) || !settle_overflow(now) ||
        ring_room(&area.block.up[RECORDER], KAVRIN_UP_SIZE) <
            packet_size(packet, body, now - state.last_timestamp)) {
        drop();
        return 0;
    }
    cursor = recorder_cursor();
    put_packet(&cursor, packet, body, now - state.last_timestamp);
    ring_publish(&area.block.up[RECORDER], &cursor);
    state.last_timestamp = now;
    return 1;
}

static int emit_locked(const packet_t* packet) {
    const uint32_t saved = lock();
    const int written = emit(packet);
    unlock(saved);
    return written;
}

/* ---- Packet classes --------------------------------------------------------------------- */

static packet_t plain(uint32_t id, const uint32_t* values, uint32_t count) {
    packet_t packet = {0, 0, 0, NULL, 0, NULL, 0, NULL, 0, NULL, 0};
    packet.id = id;
    packet.head = values;
    packet.head_count = count;
    return packet;
}

static packet_t framed(uint32_t id, const uint32_t* values, uint32_t count) {
    packet_t packet = plain(id, values, count);
    packet.framed = 1;
    return packet;
}

static packet_t with_text(uint32_t id, const uint32_t* values, uint32_t count, const char* text) {
    packet_t packet = plain(id, values, count);
    packet.has_text = 1;
    packet.text = text;
    packet.text_length = text_length(text, KAVRIN_MAX_TEXT);
    return packet;
}

static void event(uint32_t id, const uint32_t* values, uint32_t count) {
    packet_t packet;
    if (!state.recording)
        return;
    packet = plain(id, values, count);
    emit_locked(&packet);
}

static void event0(uint32_t id) {
    event(id, NULL, 0);
}

static void event1(uint32_t id, uint32_t a) {
    event(id, &a, 1);
}

static void event2(uint32_t id, uint32_t a, uint32_t b) {
    const uint32_t values[2] = {a, b};
    event(id, values, 2);
}

static void text_event(uint32_t id, uint32_t a, uint32_t b, const char* text) {
    const uint32_t values[2] = {a, b};
    packet_t packet;
    if (!state.recording)
        return;
    packet = with_text(id, values, 2, text);
    emit_locked(&packet);
}

static void log_message(uint32_t options, const char* format, const uint32_t* args, uint32_t count,
                        int counters) {
    uint32_t tail[2 + KAVRIN_MAX_LOG_ARGS];
    uint32_t saved;
    uint32_t i;
    uint32_t room;
    packet_t packet;
    if (!state.recording)
        return;
    if (count > KAVRIN_MAX_LOG_ARGS)
        count = KAVRIN_MAX_LOG_ARGS;
    saved = lock();
    if (counters && state.recording) {
        /* Counted inside the lock, after the Overflow packet: exactly the packets before. */
        if (!settle_overflow(kavrin_port_timestamp())) {
            ++state.produced;
            drop();
            unlock(saved);
            return;
        }
        tail[2] = state.produced;
        tail[3] = state.dropped;
        count = 2;
    } else {
        for (i = 0; i < count; ++i)
            tail[2 + i] = args[i];
    }
    tail[0] = options;
    tail[1] = count;
    packet = with_text(ID_LOG, NULL, 0, format);
    packet.framed = 1;
    packet.tail = tail;
    packet.tail_count = 2 + count;
    /* The format is cut so that the block stays within what the host accepts. */
    room = MAX_BLOCK - varints_size(tail, 2 + count) - 3u;
    if (packet.text_length > room)
        packet.text_length = room;
    emit(&packet);
    unlock(saved);
}

/* ---- Set-up and control ----------------------------------------------------------------- */

static void set_channel(channel_t* channel, const char* name, uint8_t* buffer, uint32_t size) {
    channel->name = KAVRIN_ADDRESS(name);
    channel->buffer = KAVRIN_ADDRESS(buffer);
    channel->size = size;
    channel->write_offset = 0;
    channel->read_offset = 0;
    channel->flags = 0;
}

static void copy_text(char* to, const char* from) {
    while ((*to++ = *from++) != 0) {
    }
}

void kavrin_init(const kavrin_system_t* system) {
    /* Kept backwards, so that the firmware image holds no second copy that a host
       searching memory could take for the control block. */
    static const char identifier_backwards[] = "XTZ NAVRON";
    const uint32_t length = sizeof identifier_backwards - 1u;
    const uint32_t saved = lock();
    uint32_t i;
    for (i = 0; i < sizeof area.block.identifier; ++i)
        area.block.identifier[i] = 0; /* a host never sees a block half set up */
    state.system = system;
    state.module_count = 0;
    state.recording = 0;
    state.start_pending = 0;
    state.overflow_pending = 0;
    state.module_request = 0;
    state.produced = 0;
    state.dropped = 0;
    state.current_task = 0;
    copy_text(area.terminal_name, "Terminal");
    copy_text(area.recorder_name, "Kavrin");
    set_channel(&area.block.up[TERMINAL], area.terminal_name, area.terminal_up,
                KAVRIN_TERMINAL_UP_SIZE);
    set_channel(&area.block.up[RECORDER], area.recorder_name, area.recorder_up, KAVRIN_UP_SIZE);
    set_channel(&area.block.down[TERMINAL], area.terminal_name, area.terminal_down,
                KAVRIN_TERMINAL_DOWN_SIZE);
    set_channel(&area.block.down[RECORDER], area.recorder_name, area.recorder_down,
                KAVRIN_DOWN_SIZE);
    area.block.up_count = 2;
    area.block.down_count = 2;
    KAVRIN_BARRIER();
    for (i = 0; i < length; ++i)
        area.block.identifier[i] = identifier_backwards[length - 1u - i];
    unlock(saved);
}

int kavrin_register_module(const kavrin_module_t* module) {
    const uint32_t saved = lock();
    int index = -1;
    if (module != NULL && state.module_count < KAVRIN_MAX_MODULES) {
        index = (int)state.module_count;
        state.modules[state.module_count++] = module;
    }
    unlock(saved);
    return index;
}

static void send_system_info(void) {
    const kavrin_system_t* system = state.system;
    uint32_t values[4] = {0, 0, 0, 0};
    packet_t packet;
    if (system != NULL) {
        values[0] = system->timestamp_frequency;
        values[1] = system->cpu_frequency;
        values[2] = system->task_id_base;
        values[3] = system->task_id_shift;
    }
    packet = framed(ID_SYSTEM_INFO, values, 4);
    emit_locked(&packet);
}

static void send_module_count(void) {
    event2(ID_MODULE_INFORMATION, 0, state.module_count);
}

static void send_module(uint32_t index) {
    const kavrin_module_t* module;
    if (index >= state.module_count)
        return;
    module = state.modules[index];
    text_event(ID_MODULE_DESCRIPTION, index, module->event_offset, module->description);
}

static void describe_system(void) {
    if (state.system != NULL && state.system->describe_system != NULL)
        state.system->describe_system();
}

static void list_tasks(void) {
    if (state.system != NULL && state.system->list_tasks != NULL)
        state.system->list_tasks();
}

/* Where the stream begins, the host learns what runs; read and written in one lock so that
   no switch comes between. */
static void send_current_context(void) {
    const uint32_t saved = lock();
    const uint32_t task = state.current_task;
    packet_t packet =
        plain(task != 0 ? (uint32_t)ID_TASK_RUN : (uint32_t)ID_IDLE, &task, task != 0 ? 1u : 0u);
    emit(&packet);
    unlock(saved);
}

void kavrin_start(void) {
    const packet_t start = plain(ID_START, NULL, 0);
    uint32_t saved = lock();
    int begun;
    /* A Start while recording starts again: a host whose session broke off left the target
       recording, and its next session can only read the stream from a new Start packet. */
    state.produced = 0;
    state.dropped = 0;
    state.overflow_pending = 0;
    state.last_timestamp = kavrin_port_timestamp();
    state.recording = 1;
    begun = emit(&start);
    /* Without its Start packet a host cannot read the stream: retried by kavrin_poll. */
    state.recording = (uint8_t)begun;
    state.start_pending = (uint8_t)!begun;
    unlock(saved);
    if (!begun)
        return;
    send_system_info();
    kavrin_target_time();
    describe_system();
    send_module_count();
    list_tasks();
    send_current_context();
}

void kavrin_stop(void) {
    const uint32_t saved = lock();
    event0(ID_STOP);
    state.recording = 0;
    state.start_pending = 0;
    unlock(saved);
}

int kavrin_is_recording(void) {
    return state.recording;
}

static void obey(uint8_t command) {
    if (state.module_request) {
        state.module_request = 0;
        send_module(command);
        return;
    }
    switch (command) {
    case COMMAND_START:
        kavrin_start();
        break;
    case COMMAND_STOP:
        kavrin_stop();
        break;
    case COMMAND_TIME:
        kavrin_target_time();
        break;
    case COMMAND_TASK_LIST:
        list_tasks();
        break;
    case COMMAND_SYSTEM_DESCRIPTION:
        describe_system();
        break;
    case COMMAND_MODULE_COUNT:
    case COMMAND_BETWEEN_DESCRIPTIONS:
        send_module_count();
        break;
    case COMMAND_MODULE_DESCRIPTION:
        state.module_request = 1;
        break;
    default:
        break; /* unknown commands are ignored */
    }
}

void kavrin_poll(void) {
    uint8_t command;
    uint32_t saved;
    uint32_t count;
    if (state.start_pending)
        kavrin_start();
    do {
        saved = lock();
        count = ring_read(&area.block.down[RECORDER], area.recorder_down, KAVRIN_DOWN_SIZE,
                          &command, 1);
        unlock(saved);
        if (count == 1)
            obey(command);
    } while (count == 1);
}

/* ---- Events ----------------------------------------------------------------------------- */

uint32_t kavrin_task_id(const void* task_control_block) {
    const uint32_t base = state.system != NULL ? state.system->task_id_base : 0u;
    const uint32_t shift = state.system != NULL ? state.system->task_id_shift & 31u : 0u;
    return (KAVRIN_ADDRESS(task_control_block) - base) >> shift;
}

void kavrin_task_create(uint32_t task) {
    event1(ID_TASK_CREATE, task);
}

void kavrin_task_info(uint32_t task, uint32_t priority, const char* name) {
    text_event(ID_TASK_INFO, task, priority, name);
}

void kavrin_task_stack(uint32_t task, uint32_t base, uint32_t size, uint32_t used) {
    const uint32_t values[4] = {task, base, size, used};
    event(ID_STACK, values, 4);
}

void kavrin_task_ready(uint32_t task) {
    event1(ID_TASK_READY, task);
}

void kavrin_task_run(uint32_t task) {
    const uint32_t saved = lock();
    state.current_task = task;
    event1(ID_TASK_RUN, task);
    unlock(saved);
}

void kavrin_task_stop(void) {
    event0(ID_TASK_STOP);
}

void kavrin_task_block(uint32_t task, uint32_t reason) {
    event2(ID_TASK_BLOCK, task, reason);
}

void kavrin_idle(void) {
    const uint32_t saved = lock();
    state.current_task = 0;
    event0(ID_IDLE);
    unlock(saved);
}

void kavrin_isr_enter(uint32_t number) {
    event1(ID_ISR_ENTER, number);
}

void kavrin_isr_exit(void) {
    event0(ID_ISR_EXIT);
}

void kavrin_isr_exit_to_scheduler(void) {
    event0(ID_ISR_EXIT_TO_SCHEDULER);
}

void kavrin_timer_enter(uint32_t timer) {
    event1(ID_TIMER_ENTER, timer);
}

void kavrin_timer_exit(void) {
    event0(ID_TIMER_EXIT);
}

void kavrin_user_start(uint32_t measurement) {
    event1(ID_USER_START, measurement);
}

void kavrin_user_stop(uint32_t measurement) {
    event1(ID_USER_STOP, measurement);
}

void kavrin_api_call(uint32_t id, const uint32_t* params, uint32_t count) {
    packet_t packet;
    if (!state.recording)
        return;
    packet = framed(id, params, count);
    emit_locked(&packet);
}

void kavrin_api_call0(uint32_t id) {
    kavrin_api_call(id, NULL, 0);
}

void kavrin_api_call1(uint32_t id, uint32_t a) {
    kavrin_api_call(id, &a, 1);
}

void kavrin_api_call2(uint32_t id, uint32_t a, uint32_t b) {
    const uint32_t params[2] = {a, b};
    kavrin_api_call(id, params, 2);
}

void kavrin_api_call3(uint32_t id, uint32_t a, uint32_t b, uint32_t c) {
    const uint32_t params[3] = {a, b, c};
    kavrin_api_call(id, params, 3);
}

void kavrin_api_block(uint32_t id, const uint8_t* block, uint32_t length) {
    packet_t packet;
    if (!state.recording)
        return;
    packet = framed(id, NULL, 0);
    packet.raw = block;
    packet.raw_length = block != NULL ? length : 0u;
    emit_locked(&packet);
}

void kavrin_api_end(uint32_t id) {
    kavrin_api_call(ID_API_END, &id, 1);
}

void kavrin_api_end_value(uint32_t id, uint32_t value) {
    kavrin_api_call2(ID_API_END, id, value);
}

void kavrin_log(uint32_t level, const char* format, const uint32_t* args, uint32_t count) {
    kavrin_log_indented(level, 0, format, args, count);
}

void kavrin_log_indented(uint32_t level, uint32_t indent, const char* format, const uint32_t* args,
                         uint32_t count) {
    const uint32_t options = (level & LEVEL_MASK) | ((indent & LEVEL_MASK) << INDENT_SHIFT);
    log_message(options, format, args, args != NULL ? count : 0u, 0);
}

void kavrin_print(uint32_t level, const char* text) {
    kavrin_log(level, text, NULL, 0);
}

void kavrin_log_counters(void) {
    log_message(KAVRIN_LOG, "Kavrin: %u packets produced, %u dropped", NULL, 0, 1);
}

void kavrin_system_description(const char* text) {
    packet_t packet;
    if (!state.recording)
        return;
    packet = with_text(ID_SYSTEM_DESCRIPTION, NULL, 0, text);
    emit_locked(&packet);
}

void kavrin_resource_name(uint32_t resource, const char* name) {
    text_event(ID_RESOURCE_NAME, 0, resource, name);
}

void kavrin_target_time(void) {
    const uint64_t micros = kavrin_port_time_us();
    const uint64_t cpu = state.system != NULL ? state.system->cpu_frequency : 0u;
    /* micros * cpu / 10^6 without overflowing 64 bits on the way. */
    const uint64_t cycles = micros / 1000000u * cpu + micros % 1000000u * cpu / 1000000u;
    event2(ID_TIME_US, (uint32_t)micros, (uint32_t)(micros >> 32));
    event1(ID_TIME_CYCLES, (uint32_t)cycles);
}

/* ---- Counters, terminal, area ----------------------------------------------------------- */

uint32_t kavrin_free_space(void) {
    return ring_room(&area.block.up[RECORDER], KAVRIN_UP_SIZE);
}

uint32_t kavrin_packets_produced(void) {
    return state.produced;
}

uint32_t kavrin_packets_dropped(void) {
    return state.dropped;
}

uint32_t kavrin_terminal_write(const char* text, uint32_t length) {
    const uint32_t saved = lock();
    const uint32_t written =
        ring_write(&area.block.up[TERMINAL], area.terminal_up, KAVRIN_TERMINAL_UP_SIZE,
                   (const uint8_t*)text, text != NULL ? length : 0u);
    unlock(saved);
    return written;
}

uint32_t kavrin_terminal_read(char* out, uint32_t capacity) {
    const uint32_t saved = lock();
    const uint32_t count =
        ring_read(&area.block.down[TERMINAL], area.terminal_down, KAVRIN_TERMINAL_DOWN_SIZE,
                  (uint8_t*)out, out != NULL ? capacity : 0u);
    unlock(saved);
    return count;
}

const void* kavrin_area(void) {
    return &area;
}

uint32_t kavrin_area_size(void) {
    return (uint32_t)sizeof area;
}
