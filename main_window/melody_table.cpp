// The twelve built-in trigger melodies.
//
// A melody string holds ASCII digits and commas only. It starts with the tempo, the
// length of one beat in milliseconds, and a comma. Then come the items, one per note,
// each closed by its own comma:
//
//   NNDDS...,   NN  note number, two digits (60 = middle C)
//               DD  duration in beats, two digits ("01" to "16")
//               S   start beat, no leading zero (beat 0 is the first); runs to the comma
//
// The note starts on its start beat and is released on start + duration. Items need
// not be in order of start beat, and several may start on one beat (chords). Where a
// note is released on the beat on which the same note number starts again, the item
// that ends stands first, so that the beat table sends the release before the new start.
//
// Melody k belongs to trigger button k: its first item starts on beat 0 with a note of
// pitch class k (note % 12 == k).
#include "main_window/melody_table.h"

namespace velmora {

// clang-format off
const std::array<std::string_view, kMelodyCount> kBuiltInMelodies = {
    // 0: C major: a plain song over a walking bass; two voices, items in start order.
    "130,60080,48020,55022,52044,64048,57028,520210,670412,480212,520214,650316,530616,"
    "640119,620420,500222,590224,550424,620226,600428,480428,",
    // 1: C-sharp minor: a lilting tune in sixes over a detached bass; items in start order.
    "100,61060,49100,64036,68039,690512,540412,680318,470418,660321,640224,520424,590327,"
    "610230,450430,640333,660636,540436,640342,560642,630345,610448,490448,",
    // 2: D major: a rising arpeggio that settles into a G chord, then A7 to D.
    "125,62030,66024,69026,74088,730316,740420,57080,55128,59088,62088,570816,640416,"
    "660420,",
    // 3: E-flat major: a brass chorale; the five-note closing chord meets the dominant seventh
    //    head on.
    "110,75030,77013,79044,82068,800214,790416,770220,750222,770424,750428,51040,58040,"
    "67040,48044,55084,63084,70048,460412,620412,650412,680412,510216,480218,580416,"
    "630416,670416,530420,560420,600420,680420,460424,530424,620424,680424,510428,580428,"
    "630428,670428,700428,",
    // 4: E minor: a short line over strummed chords, Em - Cmaj7 - D - Em.
    "150,64030,67033,71066,690312,740315,710518,40060,47060,48066,55066,64066,500612,"
    "570612,620612,660612,400518,470518,520518,550518,",
    // 5: F major: a song in two over a bass that moves once a bar.
    "130,65020,69022,72034,69017,70028,670210,690312,670216,700218,690320,650123,640224,"
    "670226,650428,690232,720234,700236,690238,670240,700242,690244,670246,650248,53040,"
    "48044,46048,530412,520416,530420,480424,530428,570432,460436,550440,480444,530248,",
    // 6: F-sharp minor: melody, bass and a middle voice, closing on C#7 - F#m.
    "150,66030,69013,73024,74026,73028,710210,690212,680214,690216,660218,680220,650222,"
    "660224,42040,50034,45038,520412,500316,490320,420224,57040,590420,570224,",
    // 7: G major: a low, gentle tune over a bass that moves every two beats.
    "150,67030,66013,64024,62026,60028,640210,620212,600214,590216,620218,640220,600222,"
    "620224,640126,660127,670428,55040,47044,48028,520210,500212,540214,550216,470218,"
    "480220,520222,500224,480226,550428,",
    // 8: A-flat minor: a slow waltz; the closing chord doubles the melody's last A-flat, so two
    //    items are equal.
    "140,68040,70024,71026,73048,710412,700216,700218,710220,750222,760424,750228,730230,"
    "710232,700234,710236,700438,670442,700246,680448,44060,51060,59060,37066,56066,"
    "64066,420612,490612,540612,580612,470618,540618,630618,400624,470624,560624,590624,"
    "630624,490630,520630,560630,391236,461236,551236,610642,610210,440448,510448,590448,"
    "680448,",
    // 9: D minor: melody and bass take turns, so something sounds on every beat.
    "135,69040,67014,65015,64016,62017,64048,650112,640113,620114,610115,650316,670119,"
    "690420,640124,610125,620526,38010,45011,50012,53013,50054,49019,520110,550111,"
    "450512,500117,550218,450120,490121,520122,550123,450324,530127,500128,450129,380130,",
    // 10: B-flat major: a fanfare in thirds over a pedal bass.
    "75,46160,510816,531624,460440,65040,62040,70024,65024,74026,70026,77048,74048,"
    "740412,700412,750416,670416,790220,750220,770222,740222,750424,720424,720428,690428,"
    "740432,700432,750436,690436,820440,740440,58080,65048,580416,630820,650828,650440,",
    // 11: B minor: pulsing chords under a tenor line; twice a chord and the tune strike B3
    //    together with different lengths.
    "120,35080,43088,400416,420820,350428,62020,54020,59020,61022,50022,54022,59022,"
    "62024,50024,54024,59024,66026,54026,59026,64028,55028,59028,660210,550210,590210,"
    "620212,550212,590212,590414,550214,590214,550216,590216,620218,550218,590218,610220,"
    "540220,580220,640222,540222,580222,620224,540224,580224,610226,540226,580226,590428,"
    "540228,590228,540230,590230,",
};
// clang-format on

}  // namespace velmora
