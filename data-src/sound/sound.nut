// sound.nut -- loads the game's sounds and music and decides what plays for
// each sound event. Every function of the "events" table returns the
// channel to play, or 0 for silence; the game plays it (restarting it if it
// is already playing) and pans sounds that happen at a place.
//
// The sample volumes below are the game's mixing desk: the files are
// rendered at fixed peak levels (data-src/sound/*.sfx) and balanced here.

const MUSIC_VOLUME = 0.5;
const MUSIC_LOOP_SECONDS = 6.857143;  // where theme.ogg's loop begins (entry 1 of its order)

// One sample: the file, how many may play at once, and its volume.
function load_one(name, max_playbacks, flags, volume)
{
    local sample = load_sample("sound/" + name + ".wav", max_playbacks, flags);
    set_sample_volume(sample, volume);
    return sample;
}

// The variants name_1 .. name_count of a sound, as an array.
function load_set(name, count, max_playbacks, flags, volume)
{
    local set = [];
    for (local i = 1; i <= count; i++)
        set.append(load_one(name + "_" + i.tostring(), max_playbacks, flags, volume));
    return set;
}

// A channel of one of the variants, chosen at random.
function pick(set)
{
    return get_channel(set[game_rnd() % set.len()]);
}

// ---- Loading ----

// Sounds that happen at a place are loaded with SND_3D: when all their
// playbacks are busy, the one farthest from the middle of the screen gives way.
shots <- load_set("hero_shoot", 4, 4, 0, 0.55);
jump <- load_one("hero_jump", 2, 0, 0.6);
hurt <- load_one("hero_hurt", 1, 0, 0.9);
dead <- load_one("hero_dead", 1, 0, 1.0);

enemy_alert <- load_one("enemy_spots_hero", 3, SND_3D, 0.6);
enemy_hits <- load_set("enemy_hurt", 3, 4, SND_3D, 0.7);
enemy_deaths <- load_set("enemy_dead", 3, 3, SND_3D, 0.85);

wall_hits <- load_set("bullet_destroys_wall", 4, 6, SND_3D, 0.45);
ricochets <- load_set("bullet_hits_indestructible", 3, 4, SND_3D, 0.4);
explosions <- load_set("barrel_explode", 4, 6, SND_3D, 1.0);
heart <- load_one("bonus_heart", 2, 0, 0.8);
point <- load_one("bonus_up", 2, 0, 0.8);
elevator <- load_one("skyward_elevator", 1, 0, 0.8);

upgrade_open <- load_one("upgrade_screen", 1, 0, 0.7);
upgrade_more <- load_one("upgrade_plus", 2, 0, 0.7);
upgrade_less <- load_one("upgrade_minus", 2, 0, 0.7);
upgrade_go <- load_one("upgrade_accept", 1, 0, 0.8);
game_start <- load_one("new_game", 1, 0, 0.8);

level_fanfare <- load_one("start_level", 1, 0, 0.6);
over_jingle <- load_one("game_over", 1, 0, 0.8);
title_sting <- load_one("title_sting", 1, 0, 0.6);
end_fanfare <- load_one("end_demo", 1, 0, 0.9);

music <- load_music("sound/theme.ogg", MUSIC_LOOP_SECONDS);
music_on <- false;

// ---- Music ----

function start_music()
{
    if (::music_on)
        return;
    set_channel_volume(::music, MUSIC_VOLUME);
    play_channel(::music, true);
    ::music_on = true;
}

function stop_music(milliseconds)
{
    if (!::music_on)
        return;
    fade_out_and_stop(::music, milliseconds);
    ::music_on = false;
}

// ---- Events ----

events <- {
    hero_shoot = function() { return pick(shots); },
    hero_jump = function() { return get_channel(jump); },
    hero_hurt = function() { return get_channel(hurt); },
    hero_dead = function() {
        stop_music(900);
        return get_channel(dead);
    },
    game_over = function() { return get_channel(over_jingle); },

    enemy_spots_hero = function() { return get_channel(enemy_alert); },
    enemy_hurt = function() { return pick(enemy_hits); },
    enemy_dead = function() { return pick(enemy_deaths); },

    bullet_destroys_wall = function() { return pick(wall_hits); },
    bullet_hits_indestructible = function() { return pick(ricochets); },
    barrel_explode = function() { return pick(explosions); },
    bonus_heart = function() { return get_channel(heart); },
    bonus_up = function() { return get_channel(point); },

    skyward_elevator = function() { return get_channel(elevator); },
    upgrade_screen = function() { return get_channel(upgrade_open); },
    upgrade_plus = function() { return get_channel(upgrade_more); },
    upgrade_minus = function() { return get_channel(upgrade_less); },
    upgrade_accept = function() { return get_channel(upgrade_go); },

    start_level = function() {
        start_music();  // back after the end screen's "Restart"
        return get_channel(level_fanfare);
    },
    title_screen = function() {
        start_music();
        return get_channel(title_sting);
    },
    new_game = function() { return get_channel(game_start); },
    end_demo_screen = function() {
        stop_music(1500);
        return get_channel(end_fanfare);
    },
}
