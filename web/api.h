// The wasm program's exports: the only functions the page calls.  Strings
// come back as UTF-8, valid until the next call of the same function.
#pragma once

extern "C" {
int ss_start(int width, int height);
void ss_resize(int width, int height);
void ss_frame();
void ss_key(int ascii);
void ss_special_key(int coreKey);
int ss_key_code(const char* name);
void ss_mouse(int button, int down, int x, int y);
void ss_motion(int x, int y);
int ss_control_count();
const char* ss_control_input(int i);
const char* ss_control_help(int i);
int ss_menu_count();
const char* ss_menu_label(int i);
int ss_menu_value(int i);
int ss_select_body(int value);
const char* ss_fact_caption();
const char* ss_fact_text();
const char* ss_status_line();
int ss_credit_count();
const char* ss_credit(int i);
int ss_name_count();
const char* ss_name_text(int i);
float ss_name_x(int i);
float ss_name_y(int i);
int ss_name_shown(int i);
void ss_catalog_clear();
void ss_catalog_add(const char* context, const char* msgid, const char* msgstr);
int ss_set_date(const char* text);
int ss_identification(int on);
int ss_steps();
int ss_view_mode();
int ss_animating();
int ss_show_help();
int ss_show_names();
int ss_show_orbits();
double ss_time_rate();
int ss_date_mode();
void ss_pause(int paused);
}
